#include "fast_forward.h"

#include "show.h"
#include "shell/timer.h"
#include "timeline/effect.h"

// Composing draws each frame although nobody sees it; the frames are the
// same as a capture's, so the picture after the seek is too.
void fastForward(int32_t from, int32_t to, int32_t& last) {
    for (int64_t k = from < 0 ? 0 : gridFrameAt(from) + 1;; k++) {
        const int32_t t = gridTime(k);
        if (t >= to) return;
        timer.elapsed = t;
        effect.compose();
        last = t;
    }
}
