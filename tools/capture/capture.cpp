#include "capture.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>  // Required for: pixel buffer objects

#include <algorithm>
#include <chrono>
#include <limits>

#include "progress.h"
#include "script/script.h"
#include "shell/engine.h"
#include "shell/init.h"
#include "shell/timer.h"
#include "timeline/effect.h"
#include "timeline/seek.h"

namespace {

// Thrown by the quit handler when the show's "end" is parsed: the capture
// then finishes its output instead of the process ending mid-file.
struct ShowEnded {};

[[noreturn]] void onQuit() { throw ShowEnded{}; }

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int32_t firstWrittenTime(int fps, int32_t from) { return int32_t(frameTime(firstFrameAt(from, fps), fps)); }

int64_t plannedFrames(const CapturePlan& plan, std::optional<int32_t> endTime) {
    if (plan.shot) return 1;
    std::optional<int32_t> stop = plan.to;
    if (endTime && (!stop || *endTime < *stop)) stop = endTime;
    if (!stop || *stop <= plan.from) return 0;
    return firstFrameAt(*stop, plan.fps) - firstFrameAt(plan.from, plan.fps);
}

// The first frame the capture draws: the shot, or the first frame written,
// unless --to stops it before.
static int64_t firstComposed(const CapturePlan& plan) {
    int64_t k = firstFrameAt(plan.shot ? *plan.shot : plan.from, plan.fps);
    if (plan.to) k = std::min(k, firstFrameAt(*plan.to, plan.fps));
    return k;
}

// Where "end" stopped the show, at frame endFrame: the time of its
// statement (the group the parser stopped in), and the frame before.
static void noteEnd(int64_t endFrame, const CapturePlan& plan, CaptureResult& result) {
    const size_t statement = size_t(script.nextStatement);
    if (statement < script.startTimes.size()) result.endTime = script.startTimes[statement];
    result.lastFrame = endFrame > 0 ? int32_t(frameTime(endFrame - 1, plan.fps)) : -1;
}

// Takes the show to the first frame the capture draws without drawing the
// ones before; false when the show stopped on the way.
static bool fastForward(const CapturePlan& plan, CaptureResult& result) {
    const auto start = Clock::now();
    playhead.start(kScriptPath, plan.fps);
    const CPlayhead::Stop stop = playhead.seekFrame(firstComposed(plan), plan.requireEnd);
    result.seekSeconds = secondsSince(start);
    result.skipped = playhead.frame();
    switch (stop) {
    case CPlayhead::Stop::Ended:
        result.stop = plan.shot ? Stop::ShotMissed : Stop::End;
        result.lastTime = playhead.time();
        noteEnd(playhead.frame(), plan, result);
        return false;
    case CPlayhead::Stop::Exhausted:
        result.stop = Stop::Exhausted;
        result.lastTime = int32_t(frameTime(playhead.frame() - 1, plan.fps));
        return false;
    default: return true;
    }
}

static bool allStatementsParsed() {
    return size_t(script.nextStatement) >= script.statements.size();
}

// The pixels go into a pixel buffer of the frame's own and the writers read
// them where GL keeps them, mapped: the GL thread's part is one copy, about
// a quarter of what reading into the process's memory costs with Mesa, and
// every conversion happens on the writers. A frame back from the writers
// is unmapped first, since a mapped buffer cannot be written by GL.
static void readBack(Frame& frame, const CapturePlan& plan) {
    const GLsizeiptr size = GLsizeiptr(plan.width) * plan.height * 4;
    if (!frame.buffer) {
        glGenBuffers(1, &frame.buffer);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, frame.buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, size, nullptr, GL_STREAM_READ);
    } else {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, frame.buffer);
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    frame.width = plan.width;
    frame.height = plan.height;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, plan.width, plan.height, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    frame.bgra = static_cast<const uint8_t*>(glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, size, GL_MAP_READ_BIT));
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

// Composes the frame at time t; false when the show's "end" came instead.
static bool composeAt(int32_t t, CaptureResult& result) {
    timer.elapsed = t;
    const auto start = Clock::now();
    try {
        effect.compose();
    } catch (const ShowEnded&) {
        return false;
    }
    // Rendering may be deferred until the pixels are needed: finish it here
    // so that the read-back time is the copy alone.
    glFinish();
    result.composeSeconds += secondsSince(start);
    result.composed++;
    result.lastTime = t;
    return true;
}

static void writeFrame(FrameWriter& writer, const CapturePlan& plan, CaptureResult& result) {
    Frame* frame = writer.acquire();
    const auto start = Clock::now();
    readBack(*frame, plan);
    result.readSeconds += secondsSince(start);
    frame->index = result.written++;
    writer.submit(frame);
}

// The frame that parses "end" is never drawn: a shot at the end's own time
// is the frame before it, the last one the show draws, as the player and
// the preview's End key show it. False when the show has no frame.
static bool shootLastFrame(const CapturePlan& plan, FrameWriter& writer, CaptureResult& result) {
    if (result.lastFrame < 0 || result.endTime != *plan.shot) return false;
    if (playhead.seekFrame(firstFrameAt(result.lastFrame, plan.fps)) != CPlayhead::Stop::Reached ||
        !composeAt(result.lastFrame, result))
        return false;
    writeFrame(writer, plan, result);
    result.shotAtEnd = true;
    return true;
}

CaptureResult runCapture(const CapturePlan& plan, FrameWriter& writer, Progress& progress) {
    setQuitHandler(onQuit);
    CaptureResult result;
    if (!fastForward(plan, result)) {
        setQuitHandler(nullptr);
        return result;
    }
    for (int64_t k = playhead.frame();; k++) {
        int64_t t = frameTime(k, plan.fps);
        const bool last = plan.shot && t >= *plan.shot;
        if (last) t = *plan.shot;  // the shot's own time, also between two frames
        if ((plan.to && t >= *plan.to) || t > std::numeric_limits<int32_t>::max()) {
            result.stop = Stop::To;
            break;
        }
        if (!composeAt(int32_t(t), result)) {
            result.stop = plan.shot ? Stop::ShotMissed : Stop::End;
            result.lastTime = int32_t(t);
            noteEnd(k, plan, result);
            if (last && shootLastFrame(plan, writer, result)) result.stop = Stop::To;
            break;
        }
        if (last || (!plan.shot && t >= plan.from)) writeFrame(writer, plan, result);
        progress.update(result.written, int32_t(t));
        if (last) {
            result.stop = Stop::To;
            break;
        }
        if (writer.failed()) {
            result.stop = Stop::WriteFailed;
            break;
        }
        if (plan.requireEnd && allStatementsParsed()) {
            result.stop = Stop::Exhausted;
            break;
        }
    }
    setQuitHandler(nullptr);
    return result;
}
