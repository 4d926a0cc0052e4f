#include "show.h"

#include "assets/imageloader.h"
#include "draw/camera.h"
#include "draw/rm_evil_bezier.h"
#include "fast_forward.h"
#include "shell/engine.h"
#include "shell/timer.h"
#include "timeline/effect.h"

PreviewShow show;

namespace {

// Thrown by the quit handler when the show's "end" is parsed: the preview
// holds its last frame instead of ending.
struct ShowEnded {};

[[noreturn]] void onQuit() { throw ShowEnded{}; }

}  // namespace

int32_t gridTime(int64_t k) { return int32_t((2 * k * 1000 + kSeekFrameRate) / (2 * int64_t(kSeekFrameRate))); }

int64_t gridFrameAt(int32_t t) {
    if (t <= 0) return 0;
    int64_t k = int64_t(t) * kSeekFrameRate / 1000 + 1;  // at most one frame late
    while (gridTime(k) > t) k--;
    return k;
}

void PreviewShow::take() {
    version_ = script;
    rewind();
}

// The state the player's start-up leaves: nothing parsed, the camera reset,
// the tube's record empty, and no texture bound, as the loads leave it (an
// image whose name was not found is drawn with what is bound).
void PreviewShow::rewind() {
    script = version_;
    scene1 = CBezier();
    camera.init();
    timer.elapsed = 0;
    bindTexture(0);
    ended_ = false;
    composedTo_ = -1;
}

bool PreviewShow::seek(int32_t t) {
    // Going back, or to the frame already composed, starts from 0: the frame at t
    // is then composed once, as a capture composes it.
    if (ended_ || t <= composedTo_) rewind();
    setQuitHandler(onQuit);
    try {
        fastForward(composedTo_, t, composedTo_);
    } catch (const ShowEnded&) {
        ended_ = true;
    }
    setQuitHandler(nullptr);
    return !ended_;
}

bool PreviewShow::compose(int32_t t) {
    if (ended_) return false;
    if (t < composedTo_ && !seek(t)) return false;
    setQuitHandler(onQuit);
    try {
        timer.elapsed = t;
        effect.compose();
        composedTo_ = t;
    } catch (const ShowEnded&) {
        ended_ = true;
    }
    setQuitHandler(nullptr);
    return !ended_;
}
