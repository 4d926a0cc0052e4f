#include "watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "shell/init.h"

// Quiet time after the last event before the changes count: an editor's
// save (write a new file, rename it over the old) is over by then.
static const uint32_t kSettleMs = 50;

// A file written through an open descriptor is done when it is closed;
// IN_MODIFY only keeps the settling clock from running out mid-write.
static const uint32_t kDataEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE |
                                    IN_DELETE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

DataWatch::~DataWatch() {
    if (fd_ >= 0) ::close(fd_);
}

bool DataWatch::start(std::string& error) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        error = std::string("cannot watch the show's files: ") + std::strerror(errno);
        return false;
    }
    dirWatch_ = inotify_add_watch(fd_, ".", IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_ONLYDIR);
    watchData();
    return true;
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
    if (e.wd == dirWatch_) {
        if (e.len > 0 && std::strcmp(e.name, kDataDir) == 0) {
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
