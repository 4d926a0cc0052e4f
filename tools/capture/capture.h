// The capture loop: frame k at show time round(k * 1000 / fps), composed by
// the engine, read back and handed to the writers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "timeline/seek.h"  // Required for: frameTime, the time of frame k
#include "writer.h"

// Show time of the first frame at or after from: where a capture's output starts.
int32_t firstWrittenTime(int fps, int32_t from);

struct CapturePlan {
    int fps = 60;
    int32_t from = 0;              // frames before this are fast-forwarded, not drawn
    std::optional<int32_t> to;     // frames at or after this are not composed
    std::optional<int32_t> shot;   // compose up to this time and write only it; at the time of
                                   // the show's "end", the last frame before it
    int width = 0, height = 0;
    bool requireEnd = false;       // nothing but "end" stops the capture
};

enum class Stop {
    End,        // the timeline reached "end"
    To,         // the frame at --to was reached, or the shot taken
    Exhausted,  // every statement parsed without "end" while only "end" could stop it
    ShotMissed, // the show ended before the shot's time
    WriteFailed,
};

struct CaptureResult {
    Stop stop = Stop::End;
    int64_t composed = 0;
    int64_t skipped = 0;         // frames before the first composed one, fast-forwarded
    int64_t written = 0;
    int32_t lastTime = 0;        // show time of the last frame composed, or of the one "end" stopped
    int32_t endTime = -1;        // when "end" stopped the capture: the time of its statement
    int32_t lastFrame = -1;      // and the time of the frame before the one it stopped, -1 when none
    bool shotAtEnd = false;      // the shot asked for the end's time and holds that last frame
    double seekSeconds = 0;      // the fast-forward over the skipped frames
    double composeSeconds = 0;   // effect.compose and glFinish
    double readSeconds = 0;      // glReadPixels
};

// Frames the plan writes when the show runs to endTime (or to --to); 0 when
// neither bounds it.
int64_t plannedFrames(const CapturePlan& plan, std::optional<int32_t> endTime);

// Runs the capture on the current GL context. progress is told of every frame.
class Progress;
CaptureResult runCapture(const CapturePlan& plan, FrameWriter& writer, Progress& progress);
