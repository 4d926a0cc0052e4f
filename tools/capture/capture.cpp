#include "capture.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>  // Required for: pixel buffer objects

#include <chrono>
#include <limits>

#include "progress.h"
#include "script/script.h"
#include "shell/engine.h"
#include "shell/timer.h"
#include "timeline/effect.h"

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

int64_t frameTime(int64_t k, int fps) { return (2 * k * 1000 + fps) / (2 * int64_t(fps)); }

// The first frame whose time is at or after t.
static int64_t firstFrameAt(int fps, int64_t t) {
    int64_t k = t * fps / 1000;  // at most one frame early
    if (k < 0) k = 0;
    while (frameTime(k, fps) < t) k++;
    return k;
}

int32_t firstWrittenTime(int fps, int32_t from) { return int32_t(frameTime(firstFrameAt(fps, from), fps)); }

int64_t plannedFrames(const CapturePlan& plan, std::optional<int32_t> endTime) {
    if (plan.shot) return 1;
    std::optional<int32_t> stop = plan.to;
    if (endTime && (!stop || *endTime < *stop)) stop = endTime;
    if (!stop || *stop <= plan.from) return 0;
    return firstFrameAt(plan.fps, *stop) - firstFrameAt(plan.fps, plan.from);
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

CaptureResult runCapture(const CapturePlan& plan, FrameWriter& writer, Progress& progress) {
    setQuitHandler(onQuit);
    CaptureResult result;
    for (int64_t k = 0;; k++) {
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
