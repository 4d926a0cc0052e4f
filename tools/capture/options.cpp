#include "options.h"

#include <cstdio>

#include "arguments.h"
#include "video_sink.h"

const char* const kUsage =
    "Usage: korvane-capture [--dir DIR] [--fps N] [--from T] [--to T] [--size WxH]\n"
    "                       [--resolution WxH [--fill]] [--preset NAME] [--crf N]\n"
    "                       (--frames DIR | --video FILE | --shot T --out FILE.png | --null)\n"
    "Renders a Korvane show without a display, frame k at show time round(k*1000/N) ms.\n"
    "  --dir DIR        the show directory, holding data/script.txt (default: .)\n"
    "  --fps N          frames per second of show time, 1 to 1000 (default: 60)\n"
    "  --from T         write the frames from show time T on (the ones before are not drawn)\n"
    "  --to T           stop before show time T (default: the show's \"end\")\n"
    "  --size WxH       render size: the layout images are placed in (default: the script's)\n"
    "  --resolution WxH size of the frames written: the render size's picture drawn sharp at\n"
    "                   that size, centred between black bars where the shapes differ\n"
    "  --fill           with --resolution: fill the frame, cropping the picture, instead of bars\n"
    "  --frames DIR     write DIR/frame-000000.png, ... numbered from the first frame written\n"
    "  --video FILE     encode FILE with ffmpeg, the show's music muxed in\n"
    "  --shot T --out FILE.png   write the one frame at show time T; at the time of the\n"
    "                   show's \"end\", its last frame (the frame that reaches \"end\" is not drawn)\n"
    "  --null           compose every frame, write nothing\n"
    "  --preset NAME    x264's speed for an .mp4, .m4v, .mov or .mkv video (default: ultrafast,\n"
    "                   about 7 ms of processor time a 1080p frame, a fifth of what two cores\n"
    "                   have at 60 fps): superfast takes about twice that for a file a little\n"
    "                   over half the size, veryfast two and a half times for one a quarter to\n"
    "                   a third of it; faster, fast, medium, slow, slower and veryslow take\n"
    "                   longer still\n"
    "  --crf N          x264's quality, 0 (lossless) to 51 (default: 23): each 6 lower about\n"
    "                   doubles the file and adds a little encoding time\n"
    "  --threads N      frame writers (default: one per core for PNG frames, one otherwise)\n"
    "  --stats          print where the time went\n"
    "  --help           this text\n"
    "Times are milliseconds, or seconds when written with a decimal point (1.5 = 1500):\n"
    "--shot 5 is the frame at 5 ms, --shot 5.0 the one at 5 seconds.\n";

const char* const kDefaultPreset = "ultrafast";
const int kDefaultCrf = 23;

static const char* const kPresets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                       "medium",    "slow",      "slower",   "veryslow"};

static bool setOutput(CaptureOptions& options, Output output, std::string& error) {
    if (options.output != Output::None && options.output != output) {
        error = "choose one output: --frames, --video, --shot or --null";
        return false;
    }
    options.output = output;
    return true;
}

// One option and its value; false with error set when either is wrong.
static bool applyOption(const std::string& name, Arguments& args, CaptureOptions& options, std::string& error,
                        std::string& shotOut) {
    auto value = [&](std::string& into) {
        if (args.done()) {
            error = name + " needs a value";
            return false;
        }
        into = args.take();
        return true;
    };
    auto bad = [&](const std::string& text, const char* what) {
        error = "bad value for " + name + ": '" + text + "' (" + what + ")";
        return false;
    };
    std::string text;
    if (name == "--stats") {
        options.stats = true;
        return true;
    }
    if (name == "--null") return setOutput(options, Output::Null, error);
    if (name == "--fill") {
        options.fill = true;
        return true;
    }
    if (!value(text)) return false;
    if (name == "--dir") {
        options.dir = text;
    } else if (name == "--fps") {
        if (!parseBoundedInt(text, 1, 1000, options.fps)) return bad(text, "a whole number from 1 to 1000");
    } else if (name == "--threads") {
        if (!parseBoundedInt(text, 1, 64, options.threads)) return bad(text, "a whole number from 1 to 64");
    } else if (name == "--from" || name == "--to" || name == "--shot") {
        int32_t ms = 0;
        if (!parseShowTime(text, ms)) return bad(text, "milliseconds, or seconds with a decimal point");
        // Almost always meant as seconds: say what it is taken for, and go on.
        if (ms > 0 && ms < 100 && text.find('.') == std::string::npos)
            std::fprintf(stderr, "korvane-capture: warning: %s %s is %s ms; write %s.0 for %s seconds\n", name.c_str(),
                         text.c_str(), text.c_str(), text.c_str(), text.c_str());
        if (name == "--from") options.from = ms;
        else if (name == "--to") options.to = ms;
        else options.shot = ms;
        if (name == "--shot") return setOutput(options, Output::Shot, error);
    } else if (name == "--size") {
        if (!parseSize(text, options.width, options.height)) return bad(text, "WxH, each from 1 to 16384");
    } else if (name == "--resolution") {
        if (!parseSize(text, options.frameWidth, options.frameHeight))
            return bad(text, "WxH, each from 1 to 16384");
    } else if (name == "--preset") {
        bool known = false;
        for (const char* preset : kPresets) known = known || text == preset;
        if (!known) return bad(text, "ultrafast, superfast, veryfast, faster, fast, medium, slow, slower or veryslow");
        options.preset = text;
    } else if (name == "--crf") {
        if (!parseBoundedInt(text, 0, 51, options.crf)) return bad(text, "a whole number from 0 to 51");
    } else if (name == "--frames" || name == "--video") {
        if (text.empty()) return bad(text, "a path");
        options.outPath = text;
        return setOutput(options, name == "--frames" ? Output::Frames : Output::Video, error);
    } else if (name == "--out") {
        if (text.empty()) return bad(text, "a path");
        shotOut = text;
    } else {
        error = "unknown option " + name;
        return false;
    }
    return true;
}

// Rules between options, once all are read.
static bool checkCombination(CaptureOptions& options, const std::string& shotOut, std::string& error) {
    if (options.output == Output::None) {
        error = "no output: give --frames DIR, --video FILE, --shot T --out FILE.png or --null";
        return false;
    }
    if (options.output == Output::Shot) {
        if (shotOut.empty()) {
            error = "--shot needs --out FILE.png";
            return false;
        }
        if (options.from != 0 || options.to) {
            error = "--shot takes no --from or --to";
            return false;
        }
        options.outPath = shotOut;
    } else if (!shotOut.empty()) {
        error = "--out goes with --shot";
        return false;
    }
    if (options.fill && options.frameWidth == 0) {
        error = "--fill goes with --resolution";
        return false;
    }
    if ((!options.preset.empty() || options.crf >= 0) &&
        (options.output != Output::Video || !encodesH264(options.outPath))) {
        error = "--preset and --crf go with an H.264 --video: a .mp4, .m4v, .mov or .mkv file";
        return false;
    }
    if (options.to && *options.to <= options.from) {
        error = "--to must be after --from";
        return false;
    }
    return true;
}

ParseResult parseOptions(int argc, char** argv, CaptureOptions& options, std::string& error) {
    Arguments args(argc, argv);
    std::string shotOut;
    while (!args.done()) {
        const std::string name = args.take();
        if (name == "--help" || name == "-h") return ParseResult::Help;
        if (!applyOption(name, args, options, error, shotOut)) return ParseResult::Error;
    }
    return checkCombination(options, shotOut, error) ? ParseResult::Run : ParseResult::Error;
}
