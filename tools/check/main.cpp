// korvane-check [DIR] [--timeline FILE.svg] [--models] [--beats | --bpm N]: tells
// a show's author what is wrong with the show in DIR (default: the working
// directory), reading its script and data with the player's own code. Exit
// status 0 without errors, 1 with errors, 2 when the script (or with --beats
// the music) cannot be read.
#include <unistd.h>  // Required for: chdir, getcwd

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "arguments.h"
#include "assets/dir.h"
#include "beat_finder.h"
#include "checks.h"
#include "music_decode.h"
#include "printable.h"
#include "shell/init.h"
#include "timeline.h"

namespace {

struct CheckOptions {
    std::string dir = ".";
    std::string timeline;  // SVG file to write, or empty
    bool models = false;   // list the models instead of checking
    bool beats = false;    // find the music's beats, list them and check against them
    double bpm = 0;        // or check against this tempo
    int32_t beatOffset = 0;
};

void usage(std::FILE* out) {
    std::fprintf(out, "usage: korvane-check [DIR] [--timeline FILE.svg] [--models] [--beats | --bpm N [--beat-offset T]]\n"
                      "Checks the show in DIR (default: the current directory): DIR/data/script.txt\n"
                      "and the files of DIR/data. Prints one line per finding, as\n"
                      "data/script.txt:LINE: error|warning|note: ... (paths from DIR); exits with 0\n"
                      "when there is no error, 1 when there are errors, 2 when the script cannot be read\n"
                      "(or, with --beats, the music).\n"
                      "--timeline FILE.svg also draws the show's timeline into FILE.svg.\n"
                      "--models lists the models of DIR/data instead, one a line: meshes, vertices,\n"
                      "triangles, the model's own texture and its bounding box.\n"
                      "--beats finds the tempo and the beats of the show's music and prints them first:\n"
                      "the tempo, the first beat, then every beat, one a line, in seconds as the script\n"
                      "writes them. The check then adds a note for each start time and sync length a\n"
                      "little off a beat (\"starts at 24.480 s, 20 ms before the beat at 24.500 s\").\n"
                      "--bpm N checks against N beats a minute instead, the first beat at T\n"
                      "(--beat-offset, default 0). Times are milliseconds, or seconds with a point.\n");
}

// False with error naming what is wrong.
bool parseArguments(int argc, char** argv, CheckOptions& options, std::string& error) {
    Arguments words(argc, argv);
    bool haveDir = false;
    while (!words.done()) {
        const std::string a = words.take();
        const bool valued = a == "--timeline" || a == "--bpm" || a == "--beat-offset";
        if (valued && words.done()) {
            error = a + " needs a value";
            return false;
        }
        if (a == "--timeline") {
            options.timeline = words.take();
        } else if (a == "--bpm" || a == "--beat-offset") {
            const std::string value = words.take();
            if (a == "--bpm" ? !parseBpm(value, options.bpm) : !parseShowTime(value, options.beatOffset)) {
                error = "bad value for " + a + ": '" + printable(value) + "'";
                return false;
            }
        } else if (a == "--models" || a == "--beats") {
            (a == "--models" ? options.models : options.beats) = true;
        } else if (a == "-h" || a == "--help") {
            usage(stdout);
            std::exit(0);
        } else if (a.empty() || a[0] == '-' || haveDir) {
            error = a.empty() || a[0] == '-' ? "unknown option '" + printable(a) + "'" : "one show directory only";
            return false;
        } else {
            options.dir = a;
            haveDir = true;
        }
    }
    if (options.beats && options.bpm > 0) error = "--beats finds the tempo that --bpm gives: use one of them";
    if (options.beatOffset != 0 && options.bpm == 0) error = "--beat-offset goes with --bpm";
    return error.empty();
}

// The beats of the show's music, printed; false with a message when there
// is no music or it does not decode.
bool findShowBeats(BeatGrid& beats) {
    const std::string path = showMusicPath();
    if (path.empty()) {
        std::fprintf(stderr, "korvane-check: --beats: no music in data/ (mp3, ogg, .xm or .it)\n");
        return false;
    }
    const DecodedMusic music = decodeMusic(path, false);
    if (music.pcm.empty()) {
        std::fprintf(stderr, "korvane-check: --beats: %s\n", printable(music.message).c_str());
        return false;
    }
    beats = findBeats(music.pcm.data(), music.pcm.size() / kMusicChannels, kMusicChannels, kMusicRate, false);
    listBeats(beats, printable(path), stdout);
    return true;
}

// The SVG path is taken from where the tool was started, before it enters DIR.
std::string fromStart(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

std::string titleFor(const std::string& dir) {
    char cwd[4096];
    std::string name = getcwd(cwd, sizeof cwd) ? cwd : dir;
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos && slash + 1 < name.size()) name = name.substr(slash + 1);
    return "Timeline of " + name;
}

}  // namespace

int main(int argc, char** argv) {
    CheckOptions args;
    std::string wrong;
    if (!parseArguments(argc, argv, args, wrong)) {
        std::fprintf(stderr, "korvane-check: %s\n", wrong.c_str());
        usage(stderr);
        return 2;
    }
    const std::string svg = fromStart(args.timeline);
    if (chdir(args.dir.c_str()) != 0) {
        std::fprintf(stderr, "korvane-check: cannot enter %s: %s\n", printable(args.dir).c_str(), std::strerror(errno));
        return 2;
    }
    if (args.models) {
        DataIndex data;
        data.scan();
        listModels(data, stdout);
        return 0;
    }
    // Music is opened to see whether SDL_mixer can decode it, never played.
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    LoadedShow show;
    std::string error;
    if (!loadShow(show, error)) {
        std::fprintf(stderr, "korvane-check: cannot read %s/%s: %s\n", printable(args.dir).c_str(), kScriptPath, error.c_str());
        return 2;
    }
    BeatGrid beats;
    if (args.bpm > 0) beats = BeatGrid::steady(args.bpm, args.beatOffset);
    if (args.beats && !findShowBeats(beats)) return 2;
    const Findings findings = checkShow(show, true, &beats);
    findings.print(stdout);

    if (!svg.empty() && !writeFile(svg, timelineSvg(buildTimeline(show), titleFor(args.dir)))) {
        std::fprintf(stderr, "korvane-check: cannot write %s: %s\n", printable(svg).c_str(), std::strerror(errno));
        return 2;
    }
    return findings.errors() > 0 ? 1 : 0;
}
