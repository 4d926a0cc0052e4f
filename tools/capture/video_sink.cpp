#include "video_sink.h"

#include <fcntl.h>
#include <spawn.h>
#include <strings.h>  // Required for: strncasecmp
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include <libyuv.h>

#include "staged_file.h"

extern char** environ;

// ffmpeg picks the container by the extension in any case (show.MP4 is an
// MP4 file), so the encoding follows the same rule.
static bool endsWith(const std::string& text, const char* end) {
    const size_t n = std::strlen(end);
    return text.size() >= n && ::strncasecmp(text.c_str() + text.size() - n, end, n) == 0;
}

std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return "";
    std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t colon = dirs.find(':', start);
        if (colon == std::string::npos) colon = dirs.size();
        std::string dir = dirs.substr(start, colon - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + program;
        struct stat st;
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = colon + 1;
    }
    return "";
}

// Runs argv with its standard input from inFd (or /dev/null when -1) and
// standard output to outFd (or inherited when -1). Returns the child or -1.
static pid_t spawn(const std::vector<std::string>& args, int inFd, int outFd) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inFd >= 0) posix_spawn_file_actions_adddup2(&actions, inFd, 0);
    else posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    // The signals this process leaves to its guard thread are not blocked in the child.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = startChild([&] {
        pid_t child = -1;
        return posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ) == 0 ? child : -1;
    });
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for a child of spawn(); its status, and its processor time when asked.
static bool waitChild(pid_t pid, int& status, double* seconds = nullptr) {
    struct rusage usage {};
    pid_t waited;
    do waited = ::wait4(pid, &status, 0, &usage);
    while (waited < 0 && errno == EINTR);
    childEnded(pid);
    if (seconds)
        *seconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return waited == pid;
}

// Containers of the usual players: they want 4:2:0 chroma, which ffmpeg
// would not pick by itself for RGB input.
static bool commonContainer(const std::string& path) {
    static const char* const extensions[] = {".mp4", ".m4v", ".mov", ".mkv", ".webm", ".avi"};
    for (const char* ext : extensions)
        if (endsWith(path, ext)) return true;
    return false;
}

// What goes down the pipe: for a 4:2:0 video the planes themselves, made
// here with libyuv at a small part of what ffmpeg's converter costs;
// otherwise the pixels as read, for ffmpeg to pick the encoder's format.
static const char* pipeFormat(const std::string& path) { return commonContainer(path) ? "yuv420p" : "bgr0"; }

bool encodesH264(const std::string& path) {
    static const char* const extensions[] = {".mp4", ".m4v", ".mov", ".mkv"};
    for (const char* ext : extensions)
        if (endsWith(path, ext)) return true;
    return false;
}

std::vector<std::string> VideoSink::command(const VideoSettings& s, const std::string& output) {
    std::vector<std::string> args = {findOnPath("ffmpeg"), "-hide_banner", "-nostats", "-loglevel", "error", "-y",
                                     "-f", "rawvideo", "-pix_fmt", pipeFormat(s.path),
                                     "-s", std::to_string(s.width) + "x" + std::to_string(s.height),
                                     "-framerate", std::to_string(s.fps), "-i", "pipe:0"};
    if (!s.music.empty()) {
        // Audio time 0 is show time 0: skip the part before the first frame.
        if (s.musicOffset > 0) {
            char offset[32];
            std::snprintf(offset, sizeof offset, "%d.%03d", s.musicOffset / 1000, s.musicOffset % 1000);
            args.insert(args.end(), {"-ss", offset});
        }
        args.insert(args.end(), {"-i", "file:" + s.music, "-map", "0:v", "-map", "1:a",
                                 // Silence after the music, and the video's length decides.
                                 "-af", "apad", "-shortest"});
    }
    // GL's rows come bottom first (the 4:2:0 planes are turned upright when
    // they are made); 4:2:0 needs even sides.
    std::string filter = commonContainer(s.path) ? "" : "vflip";
    if (s.width % 2 || s.height % 2) filter += std::string(filter.empty() ? "" : ",") + "pad=ceil(iw/2)*2:ceil(ih/2)*2";
    if (!filter.empty()) args.insert(args.end(), {"-vf", filter});
    if (commonContainer(s.path)) args.insert(args.end(), {"-pix_fmt", "yuv420p"});
    if (encodesH264(s.path))
        args.insert(args.end(), {"-c:v", "libx264", "-preset", s.preset, "-crf", std::to_string(s.crf)});
    args.push_back("file:" + output);
    return args;
}

VideoSink::VideoSink(VideoSettings settings) : settings_(std::move(settings)), output_(settings_.path) {}

VideoSink::~VideoSink() {
    // ffmpeg ends before its unfinished file is removed.
    if (pipe_ >= 0) ::close(pipe_);
    int status;
    if (pid_ > 0) waitChild(pid_, status);
}

bool VideoSink::open(std::string& error) {
    if (findOnPath("ffmpeg").empty()) {
        error = "ffmpeg not found on PATH; --video needs it (Debian package ffmpeg)";
        return false;
    }
    if (!output_.create(error)) return false;
    ::close(output_.fd());  // ffmpeg writes the file by its name
    output_.fd() = -1;
    const std::vector<std::string> args = command(settings_, output_.writePath());
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    pid_ = spawn(args, fds[0], -1);
    ::close(fds[0]);
    pipe_ = fds[1];
    if (pid_ <= 0) {
        error = "cannot start " + args[0];
        return false;
    }
    return true;
}

// Bottom row first in, planes upright out; odd sides round the chroma up,
// as ffmpeg's yuv420p does.
static void toI420(const Frame& frame, std::vector<uint8_t>& out) {
    const int w = frame.width, h = frame.height, cw = (w + 1) / 2, ch = (h + 1) / 2;
    out.resize(size_t(w) * size_t(h) + 2 * size_t(cw) * size_t(ch));
    uint8_t* y = out.data();
    uint8_t* u = y + size_t(w) * size_t(h);
    uint8_t* v = u + size_t(cw) * size_t(ch);
    // libyuv's ARGB is B, G, R, A in memory; a negative height turns it over.
    libyuv::ARGBToI420(frame.bgra, w * 4, y, w, u, cw, v, cw, w, -h);
}

bool VideoSink::write(const Frame& frame, std::string& error) {
    if (!frame.bgra) {
        error = "no pixels read back for " + settings_.path;
        return false;
    }
    bool ok;
    if (commonContainer(settings_.path)) {
        const auto start = std::chrono::steady_clock::now();
        toI420(frame, planes_);
        convertSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ok = writeAll(pipe_, planes_.data(), planes_.size());
    } else {
        ok = writeAll(pipe_, frame.bgra, size_t(frame.width) * size_t(frame.height) * 4);
    }
    if (!ok)
        error = "ffmpeg failed writing " + settings_.path + ": it stopped taking frames (" + std::strerror(errno) +
                ")";
    return ok;
}

bool VideoSink::finish(std::string& error) {
    // Closing the pipe is ffmpeg's end of input: it then completes the file.
    if (pipe_ >= 0) ::close(pipe_);
    pipe_ = -1;
    int status = 0;
    const bool waited = pid_ > 0 && waitChild(pid_, status, &encoderSeconds_);
    pid_ = -1;
    if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "ffmpeg failed writing " + settings_.path;
        return false;
    }
    return output_.commit(error);
}
