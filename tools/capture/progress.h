// A one-line progress bar on standard error, for captures that take a while.
#pragma once

#include <chrono>
#include <cstdint>

class Progress {
public:
    // total: the frames the capture is expected to write, 0 when unknown.
    // Draws nothing unless enabled (standard error is a terminal).
    Progress(int64_t total, bool enabled);
    // After each frame; redraws at most ten times a second.
    void update(int64_t framesDone, int32_t showTime);
    // Clears the line.
    void finish();

private:
    int64_t total_;
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};
