#include "staged_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace {

using FileId = std::pair<dev_t, ino_t>;

// What an interrupt or exit must clean up, and the files outputs must spare.
// Everything is changed under the mutex, so that nothing is staged or started
// once the cleanup has begun.
struct Guard {
    std::mutex mutex;
    bool ending = false;
    std::set<std::string> temporaries;
    std::vector<pid_t> children;
    std::map<FileId, std::string> inputs;
    unsigned long counter = 0;  // for unique temporary names
};

Guard& guard() {
    static Guard g;
    return g;
}

// With the mutex held. ffmpeg is stopped first: it would go on writing, or
// make its file anew after it was removed.
void endOutputs(Guard& g) {
    g.ending = true;
    for (pid_t pid : g.children) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    g.children.clear();
    for (const std::string& path : g.temporaries) ::unlink(path.c_str());
    g.temporaries.clear();
}

void cleanUpAtExit() {
    Guard& g = guard();
    std::lock_guard<std::mutex> lock(g.mutex);
    endOutputs(g);
}

[[noreturn]] void watchSignals(sigset_t signals) {
    int sig = 0;
    while (::sigwait(&signals, &sig) != 0) {
    }
    Guard& g = guard();
    g.mutex.lock();  // held to the end: nothing is staged any more
    endOutputs(g);
    // Ended by the signal itself, as the shell expects of an interrupt.
    std::signal(sig, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);
}

// DIR/.NAME.partial-PID-N.EXT beside DIR/NAME.EXT: hidden, and with the same
// extension, from which ffmpeg picks the container.
std::string temporaryName(const std::string& path, unsigned long n) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.rfind('.');
    const bool hasExt = dot != std::string::npos && dot > 0;
    const std::string ext = hasExt ? base.substr(dot) : "";
    // Short enough to stay within a file name's 255 bytes.
    const std::string stem = base.substr(0, std::min<size_t>(hasExt ? dot : base.size(), 180));
    return dir + "." + stem + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(n) + ext.substr(0, 40);
}

// The input that path is, or null.
const std::string* inputAt(const Guard& g, const struct stat& st) {
    const auto it = g.inputs.find({st.st_dev, st.st_ino});
    return it == g.inputs.end() ? nullptr : &it->second;
}

}  // namespace

void guardOutputs() {
    guard();  // built before the handler below is registered, so it outlives it
    std::atexit(cleanUpAtExit);
    sigset_t signals;
    sigemptyset(&signals);
    int watched = 0;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored from the start (nohup, a background job) stays ignored.
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaddset(&signals, sig);
        watched++;
    }
    if (watched == 0) return;
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(watchSignals, signals).detach();
}

void protectInputs(const std::vector<std::string>& paths) {
    Guard& g = guard();
    std::lock_guard<std::mutex> lock(g.mutex);
    for (const std::string& path : paths) {
        struct stat st;
        if (::stat(path.c_str(), &st) == 0) g.inputs.emplace(FileId{st.st_dev, st.st_ino}, path);
    }
}

pid_t startChild(const std::function<pid_t()>& start) {
    Guard& g = guard();
    std::lock_guard<std::mutex> lock(g.mutex);
    if (g.ending) return -1;
    const pid_t pid = start();
    if (pid > 0) g.children.push_back(pid);
    return pid;
}

void childEnded(pid_t pid) {
    Guard& g = guard();
    std::lock_guard<std::mutex> lock(g.mutex);
    g.children.erase(std::remove(g.children.begin(), g.children.end(), pid), g.children.end());
}

StagedFile::~StagedFile() { discard(); }

bool StagedFile::create(std::string& error) {
    auto fail = [&](const std::string& why) {
        error = "cannot write " + path_ + ": " + why;
        return false;
    };
    // Through a symbolic link to the file it names, as writing in place would.
    target_ = path_;
    if (char* real = ::realpath(path_.c_str(), nullptr)) {
        target_ = real;
        std::free(real);
    }
    struct stat st;
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return fail("it is a directory");
    Guard& g = guard();
    std::lock_guard<std::mutex> lock(g.mutex);
    if (g.ending) return fail("the capture is ending");
    if (const std::string* input = exists ? inputAt(g, st) : nullptr) return fail("it is the show's own " + *input);
    if (exists && !S_ISREG(st.st_mode)) {
        // A device or pipe: nothing to replace. A pipe without a reader fails here instead of blocking.
        direct_ = true;
        fd_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return fail(std::strerror(errno));
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        return true;
    }
    for (;;) {
        temp_ = temporaryName(target_, g.counter++);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) break;
        if (errno != EEXIST) return fail(std::strerror(errno));
    }
    g.temporaries.insert(temp_);
    staged_ = true;
    return true;
}

bool StagedFile::commit(std::string& error) {
    if (fd_ >= 0) {
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!closed) {
            error = "cannot write " + path_ + ": " + std::strerror(errno);
            return false;
        }
    }
    if (direct_) return true;
    Guard& g = guard();
    std::lock_guard<std::mutex> lock(g.mutex);
    if (!staged_ || g.ending) {
        error = "cannot write " + path_ + ": the capture is ending";
        return false;
    }
    struct stat st;
    if (::stat(target_.c_str(), &st) == 0) {
        if (const std::string* input = inputAt(g, st)) {
            error = "cannot write " + path_ + ": it is the show's own " + *input;
            return false;
        }
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        error = "cannot write " + path_ + ": " + std::strerror(errno);
        return false;
    }
    g.temporaries.erase(temp_);
    staged_ = false;
    return true;
}

void StagedFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!staged_) return;
    Guard& g = guard();
    std::lock_guard<std::mutex> lock(g.mutex);
    if (g.temporaries.erase(temp_)) ::unlink(temp_.c_str());
    staged_ = false;
}

bool writeAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}
