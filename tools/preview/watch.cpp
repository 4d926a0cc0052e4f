#include "watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "shell/init.h"

// Quiet time after the last event before the changes count: an editor's
// save (write a new file, rename it over the old) is over by then.
static const uint32_t kSettleMs = 50;

// Entries of a directory made, removed or renamed.
static const uint32_t kEntryEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;

// A file written through an open descriptor is done when it is closed;
// IN_MODIFY only keeps the settling clock from running out mid-write.
static const uint32_t kDataEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE |
                                    IN_DELETE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

DataWatch::~DataWatch() {
    if (fd_ >= 0) ::close(fd_);
}

bool DataWatch::start(const std::string& showPath, std::string& error) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        error = std::string("cannot watch the show's files: ") + std::strerror(errno);
        return false;
    }
    // "/shows/piece/." and "/shows/piece/" are /shows/piece, its name "piece".
    showPath_ = std::filesystem::path(showPath).lexically_normal().string();
    while (showPath_.size() > 1 && showPath_.back() == '/') showPath_.pop_back();
    const size_t slash = showPath_.rfind('/');
    showName_ = showPath_.substr(slash + 1);
    const std::string parent = slash == 0 ? "/" : showPath_.substr(0, slash);
    if (!showName_.empty() && slash != std::string::npos)
        parentWatch_ = inotify_add_watch(fd_, parent.c_str(), kEntryEvents | IN_ONLYDIR);
    watchShowDir();
    return true;
}

// The working directory: data/ coming or going, the directory itself removed or renamed.
void DataWatch::watchShowDir() {
    if (dirWatch_ >= 0) inotify_rm_watch(fd_, dirWatch_);
    dirWatch_ = inotify_add_watch(fd_, ".", kEntryEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    watchData();
}

bool DataWatch::followShowDir() {
    struct stat here, there;
    const bool moved = !showPath_.empty() && ::stat(showPath_.c_str(), &there) == 0 &&
                       (::stat(".", &here) != 0 || here.st_dev != there.st_dev || here.st_ino != there.st_ino) &&
                       ::chdir(showPath_.c_str()) == 0;
    if (fd_ >= 0) watchShowDir();
    return moved;
}

// data/ may not be there yet: the directory's watch says when it comes.
void DataWatch::watchData() {
    if (dataWatch_ >= 0) inotify_rm_watch(fd_, dataWatch_);
    dataWatch_ = inotify_add_watch(fd_, kDataDir, kDataEvents | IN_ONLYDIR);
}

void DataWatch::take(const inotify_event& e, uint32_t now) {
    if (!pending_.any()) pendingSince_ = now;
    lastEvent_ = now;
    if (e.mask & IN_Q_OVERFLOW) {
        pending_.everything = true;
        watchData();
        return;
    }
    if (e.wd == parentWatch_) {
        // The show directory came or went under its path.
        if (e.len > 0 && showName_ == e.name) pending_.everything = true;
        return;
    }
    if (e.wd == dirWatch_) {
        if (e.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
            pending_.everything = true;
        } else if (e.len > 0 && std::strcmp(e.name, kDataDir) == 0) {
            pending_.everything = true;
            watchData();
        }
        return;
    }
    if (e.wd != dataWatch_) return;
    // data/ was removed or renamed: watch whatever is called data/ now.
    if (e.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
        pending_.everything = true;
        watchData();
        return;
    }
    if (e.len > 0 && e.name[0]) pending_.names.insert(e.name);
}

DataChanges DataWatch::poll(uint32_t now) {
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            take(*e, now);
            at += ssize_t(sizeof(inotify_event) + e->len);
        }
    }
    if (!pending_.any() || now - lastEvent_ < kSettleMs) return {};
    firstEvent_ = pendingSince_;
    DataChanges done;
    std::swap(done, pending_);
    return done;
}

void DataWatch::wait(uint32_t now, uint32_t ms) const {
    if (pending_.any()) {
        const uint32_t settled = lastEvent_ + kSettleMs - now;
        if (now - lastEvent_ >= kSettleMs) return;
        if (settled < ms) ms = settled;
    }
    if (fd_ < 0) {
        ::usleep(ms * 1000);
        return;
    }
    pollfd events = {fd_, POLLIN, 0};
    ::poll(&events, 1, int(ms));
}
