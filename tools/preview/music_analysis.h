// What the preview learns of its music in the background, once the music is
// decoded: the beats, and the loudness along it for the timeline strip.
// Opening a show does not wait for it, and frames go on while it runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "beat_grid.h"

struct MusicFacts {
    static const int kLoudnessMs = 10;
    BeatGrid beats;               // empty when the music has no steady beat to find
    std::vector<float> loudness;  // the peak of each kLoudnessMs, from 0 to 1
    double lengthMs = 0;          // of the music
    double tookMs = 0;            // how long finding all this took
    double processorMs = 0;       // of which its thread ran
    uint64_t serial = 0;          // from 1, another for each music looked at
};

class MusicAnalysis {
public:
    MusicAnalysis() = default;
    ~MusicAnalysis() { stop(); }
    MusicAnalysis(const MusicAnalysis&) = delete;
    MusicAnalysis& operator=(const MusicAnalysis&) = delete;

    // Makes music (from AudioOut::music()) the music to learn about, unless it
    // is already: what was found of other music is forgotten. Null: no music.
    void follow(std::shared_ptr<const std::vector<int16_t>> music);
    // What is known of the music followed; null until it is found.
    std::shared_ptr<const MusicFacts> facts() const;
    // Whether the music followed is still being looked at.
    bool busy() const { return busy_; }
    void stop();

private:
    void run(std::shared_ptr<const std::vector<int16_t>> music);  // on worker_

    std::shared_ptr<const std::vector<int16_t>> music_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> busy_{false};
    uint64_t serial_ = 0;
    mutable std::mutex lock_;  // facts_ is written by the worker
    std::shared_ptr<const MusicFacts> facts_;
};
