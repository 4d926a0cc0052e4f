// Progress of a capture that takes a while, on standard error: a bar
// redrawn in place on a terminal; in a file or a pipe, a line every few
// seconds and one at the end, so that a log shows the capture is alive.
#pragma once

#include <chrono>
#include <cstdint>

class Progress {
public:
    enum class Mode {
        Bar,    // standard error is a terminal
        Lines,  // it is not
        Quiet,  // nothing (another report takes the last line's place)
    };
    // total: the frames the capture is expected to write, 0 when unknown.
    Progress(int64_t total, Mode mode);
    // After each frame: the bar at most ten times a second, a line every
    // kLineSeconds.
    void update(int64_t framesDone, int32_t showTime);
    // Clears the bar, or writes the last line: what was written, how fast.
    void finish();

    static constexpr int kLineSeconds = 5;

private:
    int64_t total_;
    Mode mode_;
    bool drawn_ = false;
    int64_t done_ = 0;
    int32_t showTime_ = 0;
    bool updated_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};
