// Mipmap chains computed as GLU computes them: level 0 is the picture, or
// the picture scaled to GLU's choice of power-of-two sides; each further level
// comes from the one above, a 2 x 2 box rounded to nearest ((sum + 2) / 4), or
// a 2 x 1 box truncated ((a + b) / 2) once one side is down to 1.
#include "assets/mipmaps.h"

#include <GL/gl.h>

#include <algorithm>
#include <memory>

#include "assets/rescale.h"

#ifdef __SSE2__
#include <emmintrin.h>  // Required for: 16-bit lane sums of eight pixels at a time
#endif

// GLU's nearest power of two: the highest bit of n, doubled when the bit
// below it is set too (3, 6, 7 and 480 become 4, 8, 8 and 512; 5 and 640
// become 4 and 512).
static int nearestPower(unsigned n) {
    int power = 1;
    for (;;) {
        if (n == 1) return power;
        if (n == 3) return power * 4;
        n >>= 1;
        power *= 2;
    }
}

// Whether GL can hold level 1 of a chain whose level 0 is width x height, as
// GLU asks.
static bool levelOneFits(int width, int height) {
    const int w = width > 1 ? width / 2 : width, h = height > 1 ? height / 2 : height;
    glTexImage2D(GL_PROXY_TEXTURE_2D, 1, 4, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint proxyWidth = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &proxyWidth);
    return proxyWidth != 0;
}

// The sides of level 0 that GLU chooses: the nearest powers of two, halved
// together until GL can hold them.
static void levelZeroSize(int width, int height, int& outWidth, int& outHeight) {
    int w = nearestPower(static_cast<unsigned>(width)), h = nearestPower(static_cast<unsigned>(height));
    while (!levelOneFits(w, h)) {
        if (w == 1 && h == 1) {
            // Not even 1 x 1 fits: GLU falls back to the largest size GL names.
            GLint largest = 0;
            glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
            w = std::min(nearestPower(static_cast<unsigned>(width)), static_cast<int>(largest));
            h = std::min(nearestPower(static_cast<unsigned>(height)), static_cast<int>(largest));
            break;
        }
        w = w > 1 ? w / 2 : w;
        h = h > 1 ? h / 2 : h;
    }
    outWidth = w;
    outHeight = h;
}

// One output row of a 2 x 2 halving: rows a and b above it, outWidth pixels.
static void halveRow(const uint8_t* a, const uint8_t* b, uint8_t* out, int outWidth) {
    int x = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i two = _mm_set1_epi16(2);
    for (; x + 2 <= outWidth; x += 2) {
        // Four source pixels per row make two output pixels.
        const __m128i ra = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x * 8));
        const __m128i rb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x * 8));
        const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(ra, zero), _mm_unpacklo_epi8(rb, zero));
        const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(ra, zero), _mm_unpackhi_epi8(rb, zero));
        const __m128i left = _mm_add_epi16(lo, _mm_srli_si128(lo, 8));
        const __m128i right = _mm_add_epi16(hi, _mm_srli_si128(hi, 8));
        const __m128i sum = _mm_srli_epi16(_mm_add_epi16(_mm_unpacklo_epi64(left, right), two), 2);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x * 4), _mm_packus_epi16(sum, zero));
    }
#endif
    for (; x < outWidth; x++)
        for (int k = 0; k < 4; k++) {
            const int i = x * 8 + k;
            out[x * 4 + k] = static_cast<uint8_t>((a[i] + a[i + 4] + b[i] + b[i + 4] + 2) / 4);
        }
}

// The next level of a width x height level into out.
static void halve(const uint8_t* in, int width, int height, uint8_t* out) {
    const int outWidth = width > 1 ? width / 2 : 1;
    const int outHeight = height > 1 ? height / 2 : 1;
    if (width > 1 && height > 1) {
        const size_t span = static_cast<size_t>(width) * 4;
        for (int y = 0; y < outHeight; y++)
            halveRow(in + 2 * y * span, in + (2 * y + 1) * span, out + static_cast<size_t>(y) * outWidth * 4, outWidth);
        return;
    }
    // A single row or column: its pixels are consecutive either way.
    const int count = outWidth * outHeight;
    for (int i = 0; i < count * 4; i++) {
        const int src = (i / 4) * 8 + i % 4;
        out[i] = static_cast<uint8_t>((in[src] + in[src + 4]) / 2);
    }
}

void buildMipmaps(int width, int height, const uint8_t* rgba) {
    int w0 = 0, h0 = 0;
    levelZeroSize(width, height, w0, h0);
    // Every buffer before any upload: running out of memory leaves the
    // texture as it was.
    // Left unfilled: every byte is written before it is read.
    const size_t levelOne = static_cast<size_t>(w0 > 1 ? w0 / 2 : 1) * static_cast<size_t>(h0 > 1 ? h0 / 2 : 1) * 4;
    std::unique_ptr<uint8_t[]> scaled, above(new uint8_t[levelOne]), level(new uint8_t[levelOne]);
    const uint8_t* from = rgba;
    if (w0 != width || h0 != height) {
        scaled.reset(new uint8_t[static_cast<size_t>(w0) * static_cast<size_t>(h0) * 4]);
        // GLU halves an exact double size with its halving, not its box filter.
        if (width == w0 * 2 && height == h0 * 2)
            halve(rgba, width, height, scaled.get());
        else
            scaleImage(rgba, width, height, scaled.get(), w0, h0);
        from = scaled.get();
    }
    width = w0;
    height = h0;
    glTexImage2D(GL_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, from);
    for (int lod = 1; width > 1 || height > 1; lod++) {
        const int w = width > 1 ? width / 2 : 1, h = height > 1 ? height / 2 : 1;
        halve(from, width, height, level.get());
        glTexImage2D(GL_TEXTURE_2D, lod, 4, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.get());
        above.swap(level);
        from = above.get();
        width = w;
        height = h;
    }
}
