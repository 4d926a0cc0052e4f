// Watching data/ for files that change, with inotify.
#pragma once

#include <cstdint>
#include <set>
#include <string>

struct DataChanges {
    std::set<std::string> names;  // entries of data/ written, made, renamed or removed
    bool everything = false;      // data/ or the show directory came or went, or events were lost
    bool any() const { return everything || !names.empty(); }
};

class DataWatch {
public:
    DataWatch() = default;
    ~DataWatch();
    DataWatch(const DataWatch&) = delete;
    DataWatch& operator=(const DataWatch&) = delete;

    // Watches data/ of the working directory, the show directory at
    // showPath (an absolute path naming the working directory) for data/
    // coming or going, and the directory above it for the show directory
    // itself coming or going. False with error when inotify cannot be had.
    bool start(const std::string& showPath, std::string& error);
    // Makes the directory now at the show's path the working directory, as
    // an editor follows a file saved under a new inode: after the show
    // directory was removed and made again, or renamed away and replaced.
    // Watches it and its data/ again; true when the working directory changed.
    bool followShowDir();
    // Reads what happened so far. Returns the changes once no event has come
    // for the settling time (editors write a file in several steps), and
    // nothing before; millisecond ticks of the caller's clock.
    DataChanges poll(uint32_t now);
    // Sleeps up to ms milliseconds, less when a file event comes or the
    // settling time of pending changes runs out first.
    void wait(uint32_t now, uint32_t ms) const;
    // Ticks of the first event of the changes poll() returned last: when
    // the author's write reached the preview.
    uint32_t firstEventAt() const { return firstEvent_; }

private:
    void watchData();
    void watchShowDir();
    void take(const struct inotify_event& event, uint32_t now);

    int fd_ = -1;
    int dataWatch_ = -1;
    int dirWatch_ = -1;
    int parentWatch_ = -1;
    std::string showPath_;
    std::string showName_;  // its last part, as events in the directory above name it
    DataChanges pending_;
    uint32_t lastEvent_ = 0;
    uint32_t pendingSince_ = 0;
    uint32_t firstEvent_ = 0;
};
