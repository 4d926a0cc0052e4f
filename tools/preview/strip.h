// The timeline strip along the bottom of the window: a row per track with
// the scenes' bars as korvane-check's timeline draws them, the sync
// segments, the loop range and the playhead.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "timeline.h"

struct StripMarks {
    int32_t playhead = 0;
    std::optional<int32_t> loopFrom, loopTo;
    bool loopOn = false;
};

class TimelineStrip {
public:
    // Lays the strip out for a timeline in a window of the given size.
    void layOut(const Timeline& timeline, int windowWidth, int windowHeight);
    // Draws it; needs the overlay's GL state.
    void draw(const StripMarks& marks) const;
    // The show time under a window pixel (origin at the top left), or
    // nothing when the pixel is not on the strip.
    std::optional<int32_t> timeAt(int x, int y) const;
    int top() const { return top_; }

private:
    float x(int64_t ms) const;

    const Timeline* timeline_ = nullptr;
    std::vector<int32_t> tracks_;  // ascending, as the checker's picture orders them
    std::vector<int> rowOfBar_;
    std::vector<const char*> segmentColours_;  // of every sync segment, in drawing order
    int left_ = 0, right_ = 0, top_ = 0, bottom_ = 0, rowHeight_ = 0;
};
