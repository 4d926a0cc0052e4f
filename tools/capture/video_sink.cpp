#include "video_sink.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "staged_file.h"

extern char** environ;

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

bool hasAudioStream(const std::string& path) {
    const std::string ffprobe = findOnPath("ffprobe");
    if (ffprobe.empty()) return true;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return true;
    const pid_t pid = spawn({ffprobe, "-v", "quiet", "-select_streams", "a", "-show_entries", "stream=index",
                             "-of", "csv=p=0", "file:" + path},
                            -1, fds[1]);
    ::close(fds[1]);
    std::string out;
    char buf[256];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) out.append(buf, size_t(n));
    ::close(fds[0]);
    int status = 0;
    return pid > 0 && waitChild(pid, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0 && !out.empty();
}

// Containers of the usual players: they want 4:2:0 chroma, which ffmpeg
// would not pick by itself for RGB input, and get H.264 by default.
static bool commonContainer(const std::string& path) {
    static const char* const extensions[] = {".mp4", ".m4v", ".mov", ".mkv", ".webm", ".avi"};
    for (const char* ext : extensions) {
        const size_t n = std::strlen(ext);
        if (path.size() >= n && path.compare(path.size() - n, n, ext) == 0) return true;
    }
    return false;
}

std::vector<std::string> VideoSink::command(const VideoSettings& s, const std::string& output) {
    std::vector<std::string> args = {findOnPath("ffmpeg"), "-hide_banner", "-nostats", "-loglevel", "error", "-y",
                                     "-f", "rawvideo", "-pix_fmt", "rgb0",
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
    // GL's rows come bottom first; 4:2:0 needs even sides.
    std::string filter = "vflip";
    if (s.width % 2 || s.height % 2) filter += ",pad=ceil(iw/2)*2:ceil(ih/2)*2";
    args.insert(args.end(), {"-vf", filter});
    // x264's veryfast preset takes half the processor time of its default
    // for a slightly larger file; the encoder shares the cores with Mesa.
    if (commonContainer(s.path)) args.insert(args.end(), {"-pix_fmt", "yuv420p", "-preset", "veryfast"});
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

bool VideoSink::write(const Frame& frame, std::string& error) {
    const uint8_t* data = frame.rgba.data();
    size_t left = size_t(frame.width) * size_t(frame.height) * 4;
    while (left > 0) {
        const ssize_t n = ::write(pipe_, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = "ffmpeg failed writing " + settings_.path + ": it stopped taking frames (" +
                    std::strerror(errno) + ")";
            return false;
        }
        data += n;
        left -= size_t(n);
    }
    return true;
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
