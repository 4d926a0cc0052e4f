// Tapping a sync list in time with the music: a mark at each tap while the
// show plays; at the end of the take, a "Sync" line whose marks fall where
// the taps were, for a sync scene that starts at the first tap.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class BeatGrid;

struct TakenSync {
    int32_t start = 0;     // the first mark: the sync scene's start time
    std::string comment;   // a script comment that says so
    std::string syncLine;  // "Sync ? 0.500 ? 0.480": lengths in seconds, tracks to fill in
};

class TapTake {
public:
    static const size_t kMostTaps = 4096;

    // Adds a tap at show time t. A tap at or before the last one (the show
    // went back) starts the take again. False when the take is full.
    bool tap(int32_t t);
    size_t taps() const { return taps_.size(); }
    bool restarted() const { return restarted_; }
    // Ends the take. The line, with each tap first moved to the nearest beat
    // when beats are given; nothing when fewer than two marks are left.
    std::optional<TakenSync> finish(const BeatGrid* beats);

private:
    std::vector<int32_t> taps_;
    bool restarted_ = false;
};
