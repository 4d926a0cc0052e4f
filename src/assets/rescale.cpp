// GLU's box filter for RGBA bytes. GLU sums each output pixel in floats in
// one particular order. Where every term and partial sum of it is exact in a
// float (the ratios of common picture sizes to powers of two have few bits
// after the point), any order gives GLU's result, and the filter runs as two
// vectorised passes, along rows and then down columns; otherwise it follows
// GLU's order operation by operation. Built with -ffp-contract=off: a fused
// multiply-add would round differently from GLU's separate multiply and add.
#include "assets/rescale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>  // Required for: four bytes to floats and back at a time
#endif

namespace {

// Where one output pixel's box starts and ends along one side: whole input
// pixels and the covered fraction of the pixel at each end, as GLU steps them.
struct Span {
    int low, high;
    float lowFraction, highFraction;
};

// GLU walks the boxes by adding the ratio's whole and fractional parts, so
// the fractions are what those float sums give, not exact products. Rows
// are clamped to the last one (clampTo), columns are not.
std::vector<Span> spans(int in, int out, float ratio, int clampTo) {
    const int whole = static_cast<int>(std::floor(ratio));
    const float fraction = ratio - whole;
    std::vector<Span> result(static_cast<size_t>(out));
    int low = 0, high = whole;
    float lowFraction = 0, highFraction = fraction;
    for (int i = 0; i < out; i++) {
        if (clampTo >= 0 && high >= in) high = clampTo;
        result[static_cast<size_t>(i)] = {low, high, lowFraction, highFraction};
        low = high;
        lowFraction = highFraction;
        high += whole;
        highFraction += fraction;
        if (highFraction > 1) {
            highFraction -= 1.0f;
            high++;
        }
    }
    return result;
}

struct Sum {
    float c[4] = {0, 0, 0, 0};
};

// The picture as GLU reads it: one flat run of bytes. Its sums can reach a
// pixel past the end of a row (the next row's first) or of the picture; the
// latter reads 0.
class Source {
public:
    Source(const uint8_t* data, int width, int height)
        : data_(data), row_(static_cast<size_t>(width) * 4), size_(row_ * static_cast<size_t>(height)) {}
    size_t row() const { return row_; }
    void add(Sum& s, size_t at, float weight) const {
        const uint8_t* p = pixel(at);
        for (int k = 0; k < 4; k++) s.c[k] += static_cast<float>(p[k]) * weight;
    }
    void addWhole(Sum& s, size_t at) const {
        const uint8_t* p = pixel(at);
        for (int k = 0; k < 4; k++) s.c[k] += static_cast<float>(p[k]);
    }
    void addPair(Sum& s, size_t left, float leftWeight, size_t right, float rightWeight) const {
        const uint8_t* l = pixel(left);
        const uint8_t* r = pixel(right);
        for (int k = 0; k < 4; k++)
            s.c[k] += static_cast<float>(l[k]) * leftWeight + static_cast<float>(r[k]) * rightWeight;
    }

private:
    const uint8_t* pixel(size_t at) const { return at + 4 <= size_ ? data_ + at : kZero; }
    static constexpr uint8_t kZero[4] = {0, 0, 0, 0};
    const uint8_t* data_;
    size_t row_, size_;
};

// One run of pixels along a row of the source: the first weighted by first,
// the inner ones by inner, the last by last.
void addRow(const Source& src, Sum& s, size_t at, int inner, float first, float middle, float last) {
    src.add(s, at, first);
    for (int l = 0; l < inner; l++) src.add(s, at + static_cast<size_t>(l + 1) * 4, middle);
    src.add(s, at + static_cast<size_t>(inner + 1) * 4, last);
}

// One output pixel: GLU's four cases of a box that spans several rows and
// columns, several rows in one column, several columns in one row, or lies
// inside one input pixel; then the whole pixels inside the box.
Sum boxSum(const Source& src, const Span& y, const Span& x) {
    Sum s;
    const size_t row = src.row();
    const size_t corner = static_cast<size_t>(y.low) * row + static_cast<size_t>(x.low) * 4;
    const int innerColumns = x.high - x.low - 1;
    const int innerRows = y.high - y.low - 1;
    if (y.high > y.low && x.high > x.low) {
        const float top = 1 - y.lowFraction;
        addRow(src, s, corner, innerColumns, top * (1 - x.lowFraction), top, top * x.highFraction);
        const float bottom = y.highFraction;
        addRow(src, s, static_cast<size_t>(y.high) * row + static_cast<size_t>(x.low) * 4, innerColumns,
               bottom * (1 - x.lowFraction), bottom, bottom * x.highFraction);
        // GLU's edge columns move one pixel right on every row as well as one
        // row down (its pointers step through the components and are not reset).
        size_t left = corner, right = corner + static_cast<size_t>(innerColumns + 1) * 4;
        for (int m = 0; m < innerRows; m++) {
            left += row;
            right += row;
            src.addPair(s, left, 1 - x.lowFraction, right, x.highFraction);
            left += 4;
            right += 4;
        }
    } else if (y.high > y.low) {
        const float across = x.highFraction - x.lowFraction;
        size_t at = corner;
        src.add(s, at, (1 - y.lowFraction) * across);
        for (int m = 0; m < innerRows; m++) {
            at += row;
            src.add(s, at, across);
        }
        src.add(s, at + row, across * y.highFraction);
    } else if (x.high > x.low) {
        const float down = y.highFraction - y.lowFraction;
        addRow(src, s, corner, innerColumns, (1 - x.lowFraction) * down, down, down * x.highFraction);
    } else {
        src.add(s, corner, (y.highFraction - y.lowFraction) * (x.highFraction - x.lowFraction));
    }
    for (int m = 0; m < innerRows; m++)
        for (int l = 0; l < innerColumns; l++)
            src.addWhole(s, corner + static_cast<size_t>(m + 1) * row + static_cast<size_t>(l + 1) * 4);
    return s;
}

// The two-pass form: weights per input row and column.
typedef float Float4 __attribute__((vector_size(16)));  // one RGBA pixel's sums

// A row of bytes as floats, the form the row pass reads its taps in.
void toFloats(const uint8_t* in, size_t count, float* out) {
    size_t i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i low = _mm_unpacklo_epi8(bytes, zero), high = _mm_unpackhi_epi8(bytes, zero);
        _mm_storeu_ps(out + i, _mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero)));
        _mm_storeu_ps(out + i + 4, _mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero)));
        _mm_storeu_ps(out + i + 8, _mm_cvtepi32_ps(_mm_unpacklo_epi16(high, zero)));
        _mm_storeu_ps(out + i + 12, _mm_cvtepi32_ps(_mm_unpackhi_epi16(high, zero)));
    }
#endif
    for (; i < count; i++) out[i] = static_cast<float>(in[i]);
}

// The means of a pixel, truncated toward zero as GLU's float-to-byte
// assignment does; they lie in 0 to 255.
void store(Float4 mean, uint8_t* out) {
#ifdef __SSE2__
    __m128 m;
    std::memcpy(&m, &mean, sizeof m);
    const __m128i words = _mm_packs_epi32(_mm_cvttps_epi32(m), _mm_setzero_si128());
    const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(out, &bytes, 4);
#else
    for (int k = 0; k < 4; k++) out[k] = static_cast<uint8_t>(static_cast<int>(mean[k]));
#endif
}

struct Tap {
    int index;
    float weight;
};

// The pixels under each box along one side and their weights, as GLU's four
// cases weigh them, the same number for every box: terms of weight 0 add
// nothing, so GLU's reads past the end are left out and short boxes padded.
struct Taps {
    std::vector<Tap> taps;  // box i: [i * width, (i + 1) * width)
    int width = 1;
};

Taps tapsOf(const std::vector<Span>& spans, int size) {
    std::vector<std::vector<Tap>> boxes;
    size_t width = 1;
    for (const Span& s : spans) {
        std::vector<Tap> box;
        auto add = [&](int index, float weight) {
            if (weight != 0 && index < size) box.push_back({index, weight});
        };
        if (s.high > s.low) {
            add(s.low, 1 - s.lowFraction);
            for (int i = s.low + 1; i < s.high; i++) add(i, 1.0f);
            add(s.high, s.highFraction);
        } else {
            add(s.low, s.highFraction - s.lowFraction);
        }
        width = std::max(width, box.size());
        boxes.push_back(std::move(box));
    }
    Taps t;
    t.width = static_cast<int>(width);
    for (std::vector<Tap>& box : boxes) {
        const int last = box.empty() ? 0 : box.back().index;
        box.resize(width, Tap{last, 0.0f});
        t.taps.insert(t.taps.end(), box.begin(), box.end());
    }
    return t;
}

// Bits after the binary point of a ratio, up to 25 (more means too many).
int fractionBits(float ratio) {
    int bits = 0;
    for (double r = ratio; r != std::floor(r) && bits <= 24; r *= 2) bits++;
    return bits;
}

// Whether every term and partial sum of GLU's sums, and of the two passes,
// is exact in a float: all are multiples of 2^-(bitsX + bitsY), at most
// 255 times the box's area (or, along a row, its width), and non-negative.
// GLU's edge columns also wander when a box spans four rows or more, which
// the two passes do not copy.
bool orderFree(const std::vector<Span>& rows, float ratioX, float ratioY) {
    for (const Span& y : rows)
        if (y.high - y.low > 2) return false;
    const int bitsX = fractionBits(ratioX), bitsY = fractionBits(ratioY);
    if (bitsX + bitsY > 24) return false;
    const double limit = 16777216.0 / 256.0;  // 2^24 over the largest byte, rounded up
    return std::ldexp(static_cast<double>(ratioX) * ratioY, bitsX + bitsY) <= limit &&
           std::ldexp(std::max(1.0, static_cast<double>(ratioX)), bitsX) <= limit;
}

// Row sums of one row of floats: taps of a fixed count, so the loop unrolls.
template <int kWidth>
void sumRow(const float* line, const Tap* taps, size_t outWidth, Float4* row) {
    for (size_t j = 0; j < outWidth; j++, taps += kWidth) {
        Float4 sum = {0, 0, 0, 0};
        for (int t = 0; t < kWidth; t++) {
            Float4 pixel;
            std::memcpy(&pixel, &line[static_cast<size_t>(taps[t].index) * 4], sizeof pixel);
            sum += pixel * taps[t].weight;
        }
        row[j] = sum;
    }
}

void sumRow(const float* line, const Taps& across, size_t outWidth, Float4* row) {
    switch (across.width) {
    case 1: return sumRow<1>(line, across.taps.data(), outWidth, row);
    case 2: return sumRow<2>(line, across.taps.data(), outWidth, row);
    case 3: return sumRow<3>(line, across.taps.data(), outWidth, row);
    default: break;
    }
    const Tap* taps = across.taps.data();
    for (size_t j = 0; j < outWidth; j++) {
        Float4 sum = {0, 0, 0, 0};
        for (int t = 0; t < across.width; t++, taps++) {
            Float4 pixel;
            std::memcpy(&pixel, &line[static_cast<size_t>(taps->index) * 4], sizeof pixel);
            sum += pixel * taps->weight;
        }
        row[j] = sum;
    }
}

// One output row from the row sums of the input rows under it; the common
// counts of rows get their own loops, with the sources held in registers.
template <int kCount>
uint8_t* meansOfRow(const Float4* const* sources, const float* weights, size_t outWidth, float area, uint8_t* out) {
    const Float4* s[kCount];
    float w[kCount];
    for (int t = 0; t < kCount; t++) {
        s[t] = sources[t];
        w[t] = weights[t];
    }
    for (size_t j = 0; j < outWidth; j++, out += 4) {
        Float4 total = s[0][j] * w[0];
        for (int t = 1; t < kCount; t++) total += s[t][j] * w[t];
        store(total / area, out);
    }
    return out;
}

uint8_t* meansOfRow(const Float4* const* sources, const float* weights, size_t count, size_t outWidth, float area,
                    uint8_t* out) {
    switch (count) {
    case 1: return meansOfRow<1>(sources, weights, outWidth, area, out);
    case 2: return meansOfRow<2>(sources, weights, outWidth, area, out);
    case 3: return meansOfRow<3>(sources, weights, outWidth, area, out);
    default: break;
    }
    for (size_t j = 0; j < outWidth; j++, out += 4) {
        Float4 total = {0, 0, 0, 0};
        for (size_t t = 0; t < count; t++) total += sources[t][j] * weights[t];
        store(total / area, out);
    }
    return out;
}

void scaleTwoPass(const uint8_t* in, int width, const std::vector<Span>& rows, const std::vector<Span>& columns,
                  int height, float area, uint8_t* out) {
    const Taps across = tapsOf(columns, width), down = tapsOf(rows, height);
    const size_t outWidth = columns.size();
    // The row sums of the last few input rows, by row number modulo the ring's size.
    const int ring = down.width;
    std::vector<Float4> sums(outWidth * static_cast<size_t>(ring));
    std::vector<int> held(static_cast<size_t>(ring), -1);
    std::vector<float> line(static_cast<size_t>(width) * 4);
    auto rowSums = [&](int y) -> const Float4* {
        Float4* row = &sums[static_cast<size_t>(y % ring) * outWidth];
        if (held[static_cast<size_t>(y % ring)] != y) {
            held[static_cast<size_t>(y % ring)] = y;
            toFloats(in + static_cast<size_t>(y) * width * 4, line.size(), line.data());
            sumRow(line.data(), across, outWidth, row);
        }
        return row;
    };
    std::vector<const Float4*> sources(static_cast<size_t>(down.width));
    std::vector<float> weights(static_cast<size_t>(down.width));
    for (size_t i = 0; i < rows.size(); i++) {
        size_t count = 0;
        for (int t = 0; t < down.width; t++) {
            const Tap tap = down.taps[i * static_cast<size_t>(down.width) + static_cast<size_t>(t)];
            if (tap.weight == 0) continue;  // padding, or a row GLU weighs 0
            sources[count] = rowSums(tap.index);
            weights[count++] = tap.weight;
        }
        out = meansOfRow(sources.data(), weights.data(), count, outWidth, area, out);
    }
}

}  // namespace

void scaleImage(const uint8_t* in, int width, int height, uint8_t* out, int outWidth, int outHeight) {
    const float ratioY = static_cast<float>(height) / outHeight;
    const float ratioX = static_cast<float>(width) / outWidth;
    const float area = ratioX * ratioY;
    const std::vector<Span> rows = spans(height, outHeight, ratioY, height - 1);
    const std::vector<Span> columns = spans(width, outWidth, ratioX, -1);
    if (orderFree(rows, ratioX, ratioY)) {
        scaleTwoPass(in, width, rows, columns, height, area, out);
        return;
    }
    const Source src(in, width, height);
    for (const Span& y : rows)
        for (const Span& x : columns) {
            const Sum s = boxSum(src, y, x);
            // Truncated toward zero, as GLU's float-to-byte assignment does.
            for (int k = 0; k < 4; k++) *out++ = static_cast<uint8_t>(static_cast<int>(s.c[k] / area));
        }
}
