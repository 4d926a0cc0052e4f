// The JPEG decoder on arbitrary bytes, in both pixel layouts the texture
// loader asks for. A decoded picture must have the size it says it has.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "assets/jpegdecode.h"

namespace {

// The decoder allocates what the header claims, up to 32767 in a side: by
// design, and far more than a fuzzer's memory limit. Inputs with a frame
// header (SOFn) claiming more than this many pixels are skipped.
constexpr uint64_t kMaxPixels = 16u << 20;

bool claimsHugeFrame(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 8 < size; i++) {
        if (data[i] != 0xFF) continue;
        const uint8_t marker = data[i + 1];
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (!frame) continue;
        const uint64_t height = (data[i + 5] << 8) | data[i + 6];
        const uint64_t width = (data[i + 7] << 8) | data[i + 8];
        if (width * height > kMaxPixels) return true;
    }
    return false;
}

void decode(const uint8_t* data, size_t size, JpegPixels pixels) {
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) return;
    tImageJPG image{};
    std::string error;
    const bool decoded = decodeJPEGStream(file, pixels, image, error);
    std::fclose(file);
    if (!decoded) {
        if (!image.data.empty() || error.empty()) __builtin_trap();
        return;
    }
    const size_t expected = static_cast<size_t>(image.sizeX) * static_cast<size_t>(pixels) * static_cast<size_t>(image.sizeY);
    if (image.sizeX <= 0 || image.sizeY <= 0 || image.data.size() != expected) __builtin_trap();
    volatile uint8_t sink = image.data.front() ^ image.data.back();
    (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || claimsHugeFrame(data, size)) return 0;
    decode(data, size, JpegPixels::Rgb);
    decode(data, size, JpegPixels::Rgba);
    return 0;
}
