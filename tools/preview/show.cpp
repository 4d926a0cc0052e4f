#include "show.h"

#include "shell/engine.h"
#include "shell/timer.h"
#include "timeline/effect.h"
#include "timeline/seek.h"

PreviewShow show;

namespace {

// Thrown by the quit handler when the show's "end" is parsed: the preview
// holds its last frame instead of ending.
struct ShowEnded {};

[[noreturn]] void onQuit() { throw ShowEnded{}; }

}  // namespace

int32_t gridTime(int64_t k) { return int32_t(frameTime(k, kSeekFrameRate)); }

int64_t gridFrameAt(int32_t t) { return t <= 0 ? 0 : firstFrameAt(int64_t(t) + 1, kSeekFrameRate) - 1; }

void PreviewShow::take(const std::string& path) {
    playhead.start(path, kSeekFrameRate);
    taken_ = true;
    ended_ = apart_ = false;
    composedTo_ = -1;
}

bool PreviewShow::seek(int32_t t) {
    if (!taken_) return true;  // no script: nothing to move
    // After frames of the preview's own times (or of another script), and to
    // compose the frame at t once as a capture does, the playhead starts from 0.
    const bool again = apart_ || t <= composedTo_;
    const CPlayhead::Stop stop = again ? playhead.reload(t) : playhead.seek(t);
    if (stop == CPlayhead::Stop::Unreadable) return false;
    apart_ = false;
    ended_ = stop == CPlayhead::Stop::Ended;
    composedTo_ = -1;
    return !ended_;
}

bool PreviewShow::compose(int32_t t) {
    if (ended_) return false;
    if (t < composedTo_ && !seek(t)) return false;
    const QuitHandler previous = setQuitHandler(onQuit);
    try {
        timer.elapsed = t;
        effect.compose();
        composedTo_ = t;
        apart_ = true;
    } catch (const ShowEnded&) {
        ended_ = true;
    }
    setQuitHandler(previous);
    return !ended_;
}
