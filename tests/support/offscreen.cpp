#include "support/offscreen.h"

#include <GL/gl.h>

void OffscreenTest::SetUp() {
    std::string error;
    ASSERT_TRUE(context.create(contextWidth(), contextHeight(), &error)) << error;
}

void OffscreenTest::TearDown() { context.destroy(); }

Rgb OffscreenTest::pixel(int x, int y) const {
    uint8_t rgba[4] = {0, 0, 0, 0};
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

::testing::AssertionResult colorNear(const Rgb& actual, const Rgb& expected, int tolerance) {
    for (int i = 0; i < 3; i++)
        if (std::abs(actual[i] - expected[i]) > tolerance)
            return ::testing::AssertionFailure()
                   << "colour (" << actual[0] << ", " << actual[1] << ", " << actual[2] << ") is not within "
                   << tolerance << " of (" << expected[0] << ", " << expected[1] << ", " << expected[2] << ")";
    return ::testing::AssertionSuccess();
}
