// korvane-web: writes a folder of static files that plays a show in a web
// browser when any web server serves it: the page, the engine as
// WebAssembly, the show's own files and show.json, the list of them.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "arguments.h"
#include "assets/dir.h"
#include "folder.h"
#include "music_decode.h"
#include "ogg_encode.h"
#include "show_files.h"
#include "staged_file.h"

namespace {

const char* const kUsage =
    "Usage: korvane-web [--engine DIR] SHOW_DIR OUT_DIR\n"
    "Writes OUT_DIR, a folder that plays the show in SHOW_DIR (the directory that holds\n"
    "data/script.txt) in a web browser when a web server serves it, for instance:\n"
    "  python3 -m http.server --bind 127.0.0.1 --directory OUT_DIR 8000\n"
    "and then http://127.0.0.1:8000/ in the browser (http://127.0.0.1:8000/?t=12.5 shows the\n"
    "frame at 12.5 s). XM and IT music is rendered to Ogg Vorbis, which browsers play.\n"
    "  --engine DIR   the web player built by scripts/build-web.sh (default: " KORVANE_WEB_BUILD ")\n";

// The web player's own files, copied beside the show's.
const char* const kPlayerFiles[] = {"index.html", "player.js", "player.css", "korvane.js", "korvane.wasm"};

int failWith(const std::string& message) {
    std::fprintf(stderr, "korvane-web: %s\n", message.c_str());
    return 1;
}

std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool isModule(const std::string& path) {
    const std::string tail = path.size() >= 3 ? path.substr(path.size() - 3) : path;
    return tail == ".xm" || tail == ".XM" || tail == ".it" || tail == ".IT";
}

// The music as the browser gets it: the file itself, or for a module the
// Ogg rendering of it (audio/NAME.ogg). Empty when it cannot be rendered.
std::string musicAudio(const std::string& music, const std::string& out, std::string& warning) {
    if (!isModule(music)) return music;
    const std::atomic<bool> cancel{false};
    const DecodedMusic decoded = decodeMusic(music, cancel);
    if (decoded.pcm.empty()) {
        warning = decoded.message + "; the page plays the show silent";
        return "";
    }
    if (!decoded.message.empty()) warning = decoded.message;
    const std::string audio = "audio/" + music.substr(music.rfind('/') + 1) + ".ogg";
    std::string why;
    StagedFile file(out + "/" + audio);
    if (!file.create(why) || !encodeOgg(decoded.pcm, kMusicRate, file.writePath(), why) || !file.commit(why)) {
        warning = music + ": cannot render it to Ogg (" + why + "); the page plays the show silent";
        return "";
    }
    return audio;
}

std::string showList(const std::vector<std::string>& files, const std::string& music, const std::string& audio) {
    std::string json = "{\n  \"files\": [";
    for (size_t i = 0; i < files.size(); i++)
        json += std::string(i ? "," : "") + "\n    {\"path\": " + jsonString(files[i]) +
                ", \"url\": " + jsonString(urlPath(files[i])) + "}";
    json += "\n  ],\n  \"music\": ";
    if (audio.empty())
        json += "null";
    else
        json += "{\"path\": " + jsonString(music) + ", \"url\": " + jsonString(urlPath(audio)) + "}";
    return json + "\n}\n";
}

}  // namespace

int main(int argc, char** argv) {
    guardOutputs();
    Arguments args(argc, argv);
    std::string engine = KORVANE_WEB_BUILD;
    std::vector<std::string> places;
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "--help" || word == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (word == "--engine") {
            if (args.done()) return failWith("--engine needs a directory");
            engine = args.take();
        } else if (word.rfind("--", 0) == 0) {
            return failWith("unknown option " + word + "\n" + kUsage);
        } else {
            places.push_back(word);
        }
    }
    if (places.size() != 2) return failWith(std::string("give the show's directory and the folder to write\n") + kUsage);
    const std::string dir = places[0], out = absolute(places[1]);
    engine = absolute(engine);
    if (sameFile(dir, out)) return failWith("OUT_DIR is the show's own directory: give another folder");

    if (::chdir(dir.c_str()) != 0) return failWith("cannot enter " + dir + ": " + std::strerror(errno));
    ShowFiles show;
    std::string why;
    if (!listShowFiles(show, why)) return failWith("cannot read " + dir + "/data/script.txt: " + why);
    for (const std::string& warning : show.warnings) std::fprintf(stderr, "korvane-web: warning: %s\n", warning.c_str());
    for (const char* name : kPlayerFiles)
        if (::access((engine + "/" + name).c_str(), R_OK) != 0)
            return failWith("the web player is not built (no " + engine + "/" + name +
                            "): build it with scripts/build-web.sh");

    std::vector<std::string> inputs;
    for (const std::string& file : show.files) inputs.push_back(absolute(file));
    protectInputs(inputs);
    if (!makeDirectories(out + "/data", why)) return failWith(why);
    uint64_t showBytes = 0, playerBytes = 0;
    for (const std::string& file : show.files)
        if (!copyFile(file, out + "/" + file, why, &showBytes)) return failWith(why);
    std::string audio;
    if (!show.music.empty()) {
        if (isModule(show.music) && !makeDirectories(out + "/audio", why)) return failWith(why);
        std::string warning;
        audio = musicAudio(show.music, out, warning);
        if (!warning.empty()) std::fprintf(stderr, "korvane-web: warning: %s\n", warning.c_str());
    }
    for (const char* name : kPlayerFiles)
        if (!copyFile(engine + "/" + name, out + "/" + name, why, &playerBytes)) return failWith(why);
    if (!writeText(out + "/show.json", showList(show.files, show.music, audio), why)) return failWith(why);

    std::printf("korvane-web: wrote %s: the show's %zu files (%.1f MB) and the player (%.1f MB)\n"
                "Serve it and open it in a browser, for instance:\n"
                "  python3 -m http.server --bind 127.0.0.1 --directory '%s' 8000\n"
                "  http://127.0.0.1:8000/\n",
                out.c_str(), show.files.size(), double(showBytes) / 1e6, double(playerBytes) / 1e6, out.c_str());
    return 0;
}
