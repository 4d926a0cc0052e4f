#include "fast_forward.h"

#include <GL/gl.h>

#include "show.h"
#include "shell/timer.h"
#include "timeline/effect.h"

namespace {

// The frames on the way are composed for their state alone: drawing them
// into one pixel of the back buffer saves nearly all of their rasterising.
class OnePixel {
public:
    OnePixel() {
        glPushAttrib(GL_SCISSOR_BIT);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
    }
    ~OnePixel() { glPopAttrib(); }
};

}  // namespace

void fastForward(int32_t from, int32_t to, int32_t& last) {
    OnePixel scissor;
    for (int64_t k = from < 0 ? 0 : gridFrameAt(from) + 1;; k++) {
        const int32_t t = gridTime(k);
        if (t >= to) return;
        timer.elapsed = t;
        effect.compose();
        last = t;
    }
}
