#include "playback.h"

#include <limits>

#include "audio_out.h"

// The show's music follows the playhead from here: played from t while the
// playhead moves, still while it holds.
static void musicFollows(bool moving, int32_t t) {
    if (moving)
        audioOut.play(t);
    else
        audioOut.pause();
}

void Playback::start(int32_t t, bool paused, uint32_t ticks) {
    held_ = t;
    since_ = ticks;
    paused_ = paused;
    atEnd_ = false;
    musicFollows(!paused_, held_);
}

int32_t Playback::now(uint32_t ticks) const {
    if (paused_) return held_;
    const int64_t t = int64_t(held_) + int64_t(uint32_t(ticks - since_));
    return t > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : int32_t(t);
}

void Playback::pause(int32_t t) {
    held_ = t;
    paused_ = true;
    musicFollows(false, held_);
}

void Playback::resume(uint32_t ticks) {
    start(atEnd_ ? 0 : held_, false, ticks);
}

void Playback::jump(int32_t t, uint32_t ticks) { start(t < 0 ? 0 : t, paused_, ticks); }

void Playback::reachEnd(int32_t t) {
    pause(t);
    atEnd_ = true;
}

std::string Playback::toggleLoop() {
    if (!loopOn && !loopValid()) return "no loop: set its start with [ and its end with ], after the start";
    loopOn = !loopOn;
    return "";
}
