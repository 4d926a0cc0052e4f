#include "support/capture_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

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
    return runTool(KORVANE_CAPTURE, args, env);
}

ToolRun runTool(const std::string& binary, const std::vector<std::string>& args, const std::string& env) {
    const std::string out = tempPath("korvane-tool-out");
    const std::string err = tempPath("korvane-tool-err");
    std::string command = env + (env.empty() ? "" : " ") + shellQuote(binary);
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

CaptureJob::CaptureJob(const std::vector<std::string>& args) : errPath_(tempPath("korvane-capture-err")) {
    std::vector<char*> argv = {const_cast<char*>(KORVANE_CAPTURE)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);
        // Signals as an interactive shell leaves them: none blocked or ignored.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::signal(sig, SIG_DFL);
        const int in = open("/dev/null", O_RDONLY), err = open(errPath_.c_str(), O_WRONLY | O_TRUNC);
        if (in < 0 || err < 0 || dup2(in, 0) < 0 || dup2(err, 2) < 0) _exit(127);
        execv(KORVANE_CAPTURE, argv.data());
        _exit(127);
    }
    if (pid_ > 0) setpgid(pid_, pid_);  // also here, so that signal() cannot come first
}

CaptureJob::~CaptureJob() {
    if (pid_ > 0) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    fs::remove(errPath_);
}

void CaptureJob::signal(int sig) {
    if (pid_ > 0) kill(-pid_, sig);
}

int CaptureJob::wait(double timeoutSeconds) {
    int status = 0;
    const bool ended = waitUntil([&] { return pid_ <= 0 || waitpid(pid_, &status, WNOHANG) == pid_; }, timeoutSeconds);
    if (pid_ <= 0) return -1;
    if (!ended) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
    if (!ended) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

std::string CaptureJob::errors() const { return readFile(errPath_); }

bool waitUntil(const std::function<bool()>& ready, double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
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
