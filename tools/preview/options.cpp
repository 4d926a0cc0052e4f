#include "options.h"

#include "arguments.h"
#include "keys.h"

std::string usage() {
    return "Usage: korvane-preview [SHOW_DIR] [--at T] [--loop A B] [--bpm N [--beat-offset T]]\n"
           "                       [--size WxH] [--fullscreen] [--stats] [--help]\n"
           "Plays the show in SHOW_DIR (default: .) in a window while you write it: it seeks,\n"
           "pauses and loops, and reloads data/ when a file there changes.\n"
           "  --at T           start at show time T (default: the loop's start, or 0)\n"
           "  --loop A B       loop from A to B, on from the start\n"
           "  --bpm N          beats at N a minute, four a bar, for bar:beat, the strip's ticks,\n"
           "                   taps and copied times (default: the beats found in the music,\n"
           "                   in the background once it is decoded)\n"
           "  --beat-offset T  show time of the first beat (default: 0)\n"
           "  --size WxH       render size and window size (default: the script's)\n"
           "  --fullscreen     start full screen\n"
           "  --stats          print how long reloads, the overlay and finding the beats take,\n"
           "                   and how far apart frames come while the beats are found\n"
           "  --help           this text\n"
           "Times are milliseconds, or seconds when written with a decimal point (1.5 = 1500).\n"
           "Keys:\n" +
           keysHelp();
}

namespace {

class Parser {
public:
    Parser(Arguments& args, PreviewOptions& options, std::string& error)
        : args_(args), options_(options), error_(error) {}

    bool option(const std::string& name) {
        name_ = name;
        if (name == "--fullscreen" || name == "--stats") {
            (name == "--stats" ? options_.stats : options_.fullscreen) = true;
            return true;
        }
        if (name == "--at") {
            int32_t at = 0;
            if (!time(at)) return false;
            options_.at = at;
            return true;
        }
        if (name == "--beat-offset") return time(options_.beatOffset);
        if (name == "--loop") {
            int32_t from = 0;
            if (!time(from) || !time(options_.loopTo)) return false;
            options_.loopFrom = from;
            return true;
        }
        std::string text;
        if (name == "--bpm") return value(text) && (parseBpm(text, options_.bpm) || bad(text, "a number of beats a minute"));
        if (name == "--size")
            return value(text) &&
                   (parseSize(text, options_.width, options_.height) || bad(text, "WxH, each from 1 to 16384"));
        error_ = "unknown option " + name;
        return false;
    }

private:
    bool value(std::string& into) {
        if (args_.done()) {
            error_ = name_ + " needs a value";
            return false;
        }
        into = args_.take();
        return true;
    }
    bool bad(const std::string& text, const char* what) {
        error_ = "bad value for " + name_ + ": '" + text + "' (" + what + ")";
        return false;
    }
    bool time(int32_t& ms) {
        std::string text;
        return value(text) && (parseShowTime(text, ms) || bad(text, "milliseconds, or seconds with a decimal point"));
    }

    Arguments& args_;
    PreviewOptions& options_;
    std::string& error_;
    std::string name_;
};

}  // namespace

ParseResult parseOptions(int argc, char** argv, PreviewOptions& options, std::string& error) {
    Arguments args(argc, argv);
    Parser parser(args, options, error);
    bool haveDir = false;
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "--help" || word == "-h") return ParseResult::Help;
        if (word.rfind("-", 0) == 0) {
            if (!parser.option(word)) return ParseResult::Error;
        } else if (haveDir || word.empty()) {
            error = "one show directory only: '" + word + "'";
            return ParseResult::Error;
        } else {
            options.dir = word;
            haveDir = true;
        }
    }
    if (options.beatOffset != 0 && options.bpm == 0) {
        error = "--beat-offset goes with --bpm";
        return ParseResult::Error;
    }
    if (options.loopFrom && options.loopTo <= *options.loopFrom) {
        error = "--loop needs its end after its start";
        return ParseResult::Error;
    }
    return ParseResult::Run;
}
