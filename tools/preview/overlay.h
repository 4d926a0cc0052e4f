// What the preview draws over the show's frame: the time and state, the
// script lines of the scenes at the playhead, the findings and problems,
// the timeline strip, and the script line of the bar under the pointer.
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

struct OverlayView {
    int32_t time = 0;
    // The show time of the frame on screen, whose scenes are listed: at the
    // end, the last frame before it; none when there is no frame.
    std::optional<int32_t> sceneTime;
    double fps = 0;
    bool paused = false, atEnd = false;
    StripMarks marks;
    StripMusic music;          // its beats give bar:beat
    int pointerX = -1, pointerY = -1;  // the mouse in the window, when it is there
    std::string message;       // for a few seconds after an action
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
    // The same at a window column, for a drag that goes on off the strip.
    std::optional<int32_t> timeAlong(int x) const { return strip_.timeAlong(x); }

private:
    int line(const std::string& text, int y, float r, float g, float b);
    void pointedLine(const OverlayView& view);
    int finding(const std::string& text, int y);
    int liveLines(std::optional<int32_t> t, int y);
    int problems(int y);

    int width_ = 0, height_ = 0;
    OverlayText text_;
    OverlayText small_;  // the strip's labels
    TimelineStrip strip_;
};
