// Watching data/ for files that change, with inotify.
#pragma once

#include <cstdint>
#include <set>
#include <string>

struct DataChanges {
    std::set<std::string> names;  // entries of data/ written, made, renamed or removed
    bool everything = false;      // data/ itself came or went, or events were lost
    bool any() const { return everything || !names.empty(); }
};

class DataWatch {
public:
    DataWatch() = default;
    ~DataWatch();
    DataWatch(const DataWatch&) = delete;
    DataWatch& operator=(const DataWatch&) = delete;

    // Watches data/ of the working directory, and the working directory for
    // data/ coming or going. False with error when inotify cannot be had.
    bool start(std::string& error);
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
    void take(const struct inotify_event& event, uint32_t now);

    int fd_ = -1;
    int dataWatch_ = -1;
    int dirWatch_ = -1;
    DataChanges pending_;
    uint32_t lastEvent_ = 0;
    uint32_t pendingSince_ = 0;
    uint32_t firstEvent_ = 0;
};
