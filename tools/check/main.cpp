// korvane-check [DIR] [--timeline FILE.svg] [--models]: tells a show's author what is
// wrong with the show in DIR (default: the working directory), reading its
// script and data with the player's own code. Exit status 0 without errors,
// 1 with errors, 2 when the script cannot be read.
#include <unistd.h>  // Required for: chdir, getcwd

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "checks.h"
#include "printable.h"
#include "shell/init.h"
#include "timeline.h"

namespace {

struct Arguments {
    std::string dir = ".";
    std::string timeline;  // SVG file to write, or empty
    bool models = false;   // list the models instead of checking
};

void usage(std::FILE* out) {
    std::fprintf(out, "usage: korvane-check [DIR] [--timeline FILE.svg] [--models]\n"
                      "Checks the show in DIR (default: the current directory): DIR/data/script.txt\n"
                      "and the files of DIR/data. Prints one line per finding, as\n"
                      "data/script.txt:LINE: error|warning|note: ... (paths from DIR); exits with 0\n"
                      "when there is no error, 1 when there are errors, 2 when the script cannot be read.\n"
                      "--timeline FILE.svg also draws the show's timeline into FILE.svg.\n"
                      "--models lists the models of DIR/data instead, one a line: meshes, vertices,\n"
                      "triangles, the model's own texture and its bounding box.\n");
}

bool parseArguments(int argc, char** argv, Arguments& args) {
    bool haveDir = false;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--timeline" && i + 1 < argc) {
            args.timeline = argv[++i];
        } else if (a.compare(0, 11, "--timeline=") == 0) {
            args.timeline = a.substr(11);
        } else if (a == "--models") {
            args.models = true;
        } else if (a == "-h" || a == "--help") {
            usage(stdout);
            std::exit(0);
        } else if (a.empty() || a[0] == '-' || haveDir) {
            return false;
        } else {
            args.dir = a;
            haveDir = true;
        }
    }
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
    Arguments args;
    if (!parseArguments(argc, argv, args)) {
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
    const Findings findings = checkShow(show, true);
    findings.print(stdout);

    if (!svg.empty() && !writeFile(svg, timelineSvg(buildTimeline(show), titleFor(args.dir)))) {
        std::fprintf(stderr, "korvane-check: cannot write %s: %s\n", printable(svg).c_str(), std::strerror(errno));
        return 2;
    }
    return findings.errors() > 0 ? 1 : 0;
}
