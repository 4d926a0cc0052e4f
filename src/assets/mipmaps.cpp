// The mipmap levels of power-of-two pictures, computed as GLU computes them:
// each level from the one above, a 2 x 2 box rounded to nearest ((sum + 2) / 4),
// or a 2 x 1 box truncated ((a + b) / 2) once one side is down to 1.
#include "assets/mipmaps.h"

#include <GL/gl.h>

#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>  // Required for: 16-bit lane sums of eight pixels at a time
#endif

static bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// What GLU checks before keeping the size: a proxy of the picture as it is.
static bool fitsAsItIs(int width, int height) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint proxyWidth = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
    return proxyWidth != 0;
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

bool buildPowerOfTwoMipmaps(int width, int height, const uint8_t* rgba) {
    if (!isPowerOfTwo(width) || !isPowerOfTwo(height) || !fitsAsItIs(width, height)) return false;
    // Both level buffers, as large as level 1, before any upload: running out
    // of memory leaves the texture as it was.
    const size_t largest = static_cast<size_t>(width > 1 ? width / 2 : 1) * static_cast<size_t>(height > 1 ? height / 2 : 1) * 4;
    std::vector<uint8_t> above(largest), level(largest);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    const uint8_t* from = rgba;
    for (int lod = 1; width > 1 || height > 1; lod++) {
        const int w = width > 1 ? width / 2 : 1, h = height > 1 ? height / 2 : 1;
        level.resize(static_cast<size_t>(w) * h * 4);
        halve(from, width, height, level.data());
        glTexImage2D(GL_TEXTURE_2D, lod, 4, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
        above.swap(level);
        from = above.data();
        width = w;
        height = h;
    }
    return true;
}
