#include "support/capture_run.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/showdir.h"

namespace fs = std::filesystem;

std::string shellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

static std::string tempPath(const char* stem) {
    std::string pattern = (fs::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) close(fd);
    return pattern;
}

ToolRun runCapture(const std::vector<std::string>& args, const std::string& env) {
    const std::string out = tempPath("korvane-capture-out");
    const std::string err = tempPath("korvane-capture-err");
    std::string command = env + (env.empty() ? "" : " ") + shellQuote(KORVANE_CAPTURE);
    for (const std::string& a : args) command += " " + shellQuote(a);
    command += " >" + shellQuote(out) + " 2>" + shellQuote(err) + " </dev/null";
    ToolRun run;
    run.status = runCommand(command);
    run.output = readFile(out);
    run.errors = readFile(err);
    fs::remove(out);
    fs::remove(err);
    return run;
}

Rgb Picture::at(int x, int y) const {
    const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
    if (x < 0 || y < 0 || x >= width || y >= height || i + 2 >= rgb.size()) return {-1, -1, -1};
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool readPicture(const std::string& path, Picture& picture) {
    const std::string raw = tempPath("korvane-capture-raw");
    const std::string size = tempPath("korvane-capture-size");
    const std::string command = "identify -format '%w %h' " + shellQuote(path) + " >" + shellQuote(size) +
                                " && convert " + shellQuote(path) + " -depth 8 rgb:" + shellQuote(raw);
    const bool ok = runCommand(command) == 0;
    std::istringstream dims(readFile(size));
    const std::string bytes = readFile(raw);
    fs::remove(raw);
    fs::remove(size);
    if (!ok || !(dims >> picture.width >> picture.height)) return false;
    picture.rgb.assign(bytes.begin(), bytes.end());
    return picture.rgb.size() == size_t(picture.width) * size_t(picture.height) * 3;
}

void writeSolidJpeg(const std::string& path, int width, int height, const std::string& colour) {
    runCommand("convert -size " + std::to_string(width) + "x" + std::to_string(height) + " " +
               shellQuote("xc:" + colour) + " -quality 100 " + shellQuote(path));
}

std::string probe(const std::string& path, const std::string& options) {
    const std::string out = tempPath("korvane-capture-probe");
    runCommand("ffprobe -v error " + options + " " + shellQuote(path) + " >" + shellQuote(out) + " 2>/dev/null");
    std::string text = readFile(out);
    fs::remove(out);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}
