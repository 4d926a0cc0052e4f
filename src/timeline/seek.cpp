#include "timeline/seek.h"

#include <GL/gl.h>  // Required for: reading the texture binding

#include <algorithm>

#include "assets/imageloader.h"  // Required for: bindTexture, as drawing binds
#include "draw/camera.h"
#include "draw/rm_evil_bezier.h"  // Required for: scene1, reset with the script
#include "script/script.h"
#include "shell/engine.h"  // Required for: setQuitHandler, to catch "end"
#include "shell/init.h"
#include "shell/timer.h"
#include "timeline/effect.h"
#include "timeline/frame_state.h"

// Started by the tool that loads the show; the player does not use it.
CPlayhead playhead;

int64_t frameTime(int64_t k, int fps) { return (2 * k * 1000 + fps) / (2 * int64_t(fps)); }

int64_t firstFrameAt(int64_t t, int fps) {
    int64_t k = std::max<int64_t>(0, t * fps / 1000);
    while (k > 0 && frameTime(k - 1, fps) >= t) k--;
    while (frameTime(k, fps) < t) k++;
    return k;
}

namespace {

struct ShowEnded {};

[[noreturn]] void throwEnded() { throw ShowEnded{}; }

// Runs work with the show's "end" turned into a false result; the caller's
// own quit handler is back in place afterwards.
template <typename Work> bool untilEnd(Work work) {
    struct Restore {
        QuitHandler previous;
        ~Restore() { setQuitHandler(previous); }
    } restore{setQuitHandler(throwEnded)};
    try {
        work();
    } catch (const ShowEnded&) {
        return false;
    }
    return true;
}

bool allParsed() { return size_t(script.nextStatement) >= script.statements.size(); }

GLint currentBinding() {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

}  // namespace

void CPlayhead::start(const std::string& path, int fps) {
    path_ = path;
    fps_ = std::max(fps, 1);
    version_ = script;
    rewind();
}

void CPlayhead::rewind() {
    script = version_;
    scene1 = CBezier{};
    camera.init();
    timer.elapsed = 0;
    frame_ = 0;
    lastTime_ = -1;
    ended_ = false;
    // The texture loads leave 0 bound, and nothing has set blend factors.
    bound_ = 0;
    bindTexture(0);
    glBlendFunc(GL_ONE, GL_ZERO);
}

// The texture frame k binds last, if any, with the scene list as it is.
std::optional<int> CPlayhead::bindsAt(int64_t k) {
    timer.elapsed = int32_t(frameTime(k, fps_));
    return effect.lastTextureBound();
}

// Frames first to last draw the same scenes, each from its own span. A
// scene either binds on every one of them or on a run at one end, as its
// object moves one way; so when the last frame binds nothing, the frames
// that bind anything are a run at the start, and the last of them is found
// by halving.
void CPlayhead::passQuietFrames(int64_t first, int64_t last) {
    lastTime_ = int32_t(frameTime(last, fps_));
    const std::optional<int> atLast = bindsAt(last);
    // The same scenes set the same blend factors on every one of these frames.
    effect.sendBlendFactors();
    if (atLast) {
        bound_ = *atLast;
        return;
    }
    std::optional<int> b = bindsAt(first);
    if (!b) return;
    int64_t hit = first, miss = last;
    while (miss - hit > 1) {
        const int64_t mid = hit + (miss - hit) / 2;
        if (const std::optional<int> m = bindsAt(mid)) {
            hit = mid;
            b = m;
        } else {
            miss = mid;
        }
    }
    bound_ = *b;
}

bool CPlayhead::step() {
    lastTime_ = timer.elapsed = int32_t(frameTime(frame_, fps_));
    if (!untilEnd([] { effect.advance(); })) {
        ended_ = true;
        return false;
    }
    if (const std::optional<int> b = effect.lastTextureBound()) bound_ = *b;
    effect.sendBlendFactors();
    frame_++;
    return true;
}

CPlayhead::Stop CPlayhead::seekFrame(int64_t k, bool untilParsed) {
    // Show time is a 32-bit count: no frame after the last it can hold.
    k = std::clamp<int64_t>(k, 0, firstFrameAt(INT32_MAX, fps_));
    // After "end" the engine is partway into frame_: that frame too is behind.
    if (k < frame_ || (ended_ && k == frame_))
        rewind();
    else if (ended_)
        return Stop::Ended;
    Stop stop = Stop::Reached;
    while (frame_ < k) {
        const int64_t now = frameTime(frame_, fps_);
        const int64_t change = untilParsed && allParsed() ? now : nextChange(now);
        const int64_t next = change <= now ? frame_ : change > INT32_MAX ? k : std::min(k, firstFrameAt(change, fps_));
        if (next > frame_) {
            passQuietFrames(frame_, next - 1);
            frame_ = next;
            continue;
        }
        if (!step()) {
            stop = Stop::Ended;
            break;
        }
        if (untilParsed && allParsed()) {
            stop = Stop::Exhausted;
            break;
        }
    }
    // The clock and the binding of the last frame passed, as composing it leaves them.
    timer.elapsed = std::max(lastTime_, 0);
    bindTexture(bound_);
    return stop;
}

CPlayhead::Stop CPlayhead::seek(int32_t t) {
    if (t <= lastTime_) rewind();
    return seekFrame(firstFrameAt(t, fps_));
}

CPlayhead::Stop CPlayhead::reload(int32_t t) {
    // A fresh record takes the load, so a script that cannot be read leaves
    // the show as it was; the options must not change the running window.
    CScript fresh;
    const CInit configuration = einit;
    const bool read = fresh.init(path_.c_str(), &error_);
    einit = configuration;
    if (!read) return Stop::Unreadable;
    error_.clear();
    version_ = std::move(fresh);
    rewind();
    return seek(t);
}

bool CPlayhead::compose() { return !ended_ && composeAt(time()); }

bool CPlayhead::composeAt(int32_t t) {
    if ((t <= lastTime_ || ended_) && seek(t) != Stop::Reached) return false;
    lastTime_ = timer.elapsed = t;
    frame_ = std::max(frame_, firstFrameAt(t, fps_));
    if (!untilEnd([] { effect.compose(); })) {
        ended_ = true;
        return false;
    }
    bound_ = currentBinding();
    frame_ = std::max(frame_, firstFrameAt(int64_t(t) + 1, fps_));
    return true;
}
