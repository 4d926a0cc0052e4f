// What the preview draws over the show's frame: the time and state, the
// script lines of the scenes at the playhead, the findings and problems,
// and the timeline strip.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "strip.h"
#include "text.h"

// Why the script on disk is not the one playing, and what plays instead.
std::string keptText();
// Show time as m:ss.mmm.
std::string clockText(int32_t ms);
// "bar:beat" at the given tempo, four beats a bar, counted from 1 at offset.
std::string barBeatText(int32_t ms, double bpm, int32_t offset);

struct OverlayView {
    int32_t time = 0;
    // The show time of the frame on screen, whose scenes are listed: at the
    // end, the last frame before it; none when there is no frame.
    std::optional<int32_t> sceneTime;
    double fps = 0;
    double bpm = 0;  // 0: no bar:beat
    int32_t beatOffset = 0;
    bool paused = false, atEnd = false;
    StripMarks marks;
    std::string message;  // for a few seconds after an action
};

class Overlay {
public:
    // False with error when there is no font: the overlay then has no text.
    bool open(int width, int height, std::string& error);
    // Lays the strip out again for the version playing.
    void timelineChanged();
    void draw(const OverlayView& view);
    // The show time under a click, when it hits the strip.
    std::optional<int32_t> timeAt(int x, int y) const { return strip_.timeAt(x, y); }

private:
    int line(const std::string& text, int y, float r, float g, float b);
    int finding(const std::string& text, int y);
    int liveLines(std::optional<int32_t> t, int y);
    int problems(int y);

    int width_ = 0, height_ = 0;
    OverlayText text_;
    TimelineStrip strip_;
};
