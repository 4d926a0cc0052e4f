// The texture scaling under AddressSanitizer: where GLU's box filter reaches
// a pixel past the end of the picture (with a weight of 0), the loader's
// reads nothing there and still makes GLU's bytes.
#include <GL/gl.h>
#include <GL/glu.h>

#include <string>
#include <vector>

#include "assets/mipmaps.h"
#include "support/offscreen.h"

extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

using ScaleBounds = OffscreenTest;

static std::vector<uint8_t> levelZero(GLuint texture, int& width, int& height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

TEST_F(ScaleBounds, ReadsOnlyThePicture) {
    // A side kept as it is (GLU's last box there ends one pixel past the row,
    // weighed 0), the last row clamped (3 x 2), odd sides summed in GLU's
    // order, sides past what GL holds.
    const int sizes[][2] = {{256, 3}, {1, 3}, {3, 2}, {640, 480}, {1023, 1025}, {32767, 3}, {5, 32767}};
    unsigned seed = 7;
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        // Exactly the picture for the loader; GLU gets zeros after it.
        std::vector<uint8_t> picture(static_cast<size_t>(w) * h * 4);
        for (uint8_t& b : picture) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
        std::vector<uint8_t> padded = picture;
        padded.resize(picture.size() + 16, 0);
        GLuint ids[2];
        glGenTextures(2, ids);
        glBindTexture(GL_TEXTURE_2D, ids[0]);
        buildMipmaps(w, h, picture.data());
        glBindTexture(GL_TEXTURE_2D, ids[1]);
        ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 4, w, h, GL_RGBA, GL_UNSIGNED_BYTE, padded.data()), 0);
        int ow = 0, oh = 0, gw = 0, gh = 0;
        const std::vector<uint8_t> ours = levelZero(ids[0], ow, oh), glus = levelZero(ids[1], gw, gh);
        EXPECT_EQ(ow, gw);
        EXPECT_EQ(oh, gh);
        EXPECT_TRUE(ours == glus);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(2, ids);
    }
}
