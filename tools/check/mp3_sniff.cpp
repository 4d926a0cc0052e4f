#include "mp3_sniff.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/plainfile.h"

namespace {

const size_t kLookAhead = 256 * 1024;

// Kilobits per second by [MPEG-1?][layer 1..3][index].
const int kBitrates[2][3][16] = {
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
};
// Hertz by [version bits][index]; version 1 is reserved.
const int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

// The length of the frame whose header is at p, or 0 when p holds no header.
size_t frameLength(const std::vector<uint8_t>& b, size_t p) {
    if (p + 4 > b.size() || b[p] != 0xFF || (b[p + 1] & 0xE0) != 0xE0) return 0;
    const int version = (b[p + 1] >> 3) & 3, layerBits = (b[p + 1] >> 1) & 3;
    const int bitrateIndex = b[p + 2] >> 4, rateIndex = (b[p + 2] >> 2) & 3, padding = (b[p + 2] >> 1) & 1;
    if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return 0;
    const int layer = 4 - layerBits;  // 1, 2 or 3
    const bool mpeg1 = version == 3;
    const long bitrate = kBitrates[mpeg1][layer - 1][bitrateIndex] * 1000L;
    const long rate = kRates[version][rateIndex];
    if (layer == 1) return size_t((12 * bitrate / rate + padding) * 4);
    if (layer == 3 && !mpeg1) return size_t(72 * bitrate / rate + padding);
    return size_t(144 * bitrate / rate + padding);
}

bool framesFrom(const std::vector<uint8_t>& b, size_t p, bool wholeFile) {
    int frames = 0;
    while (frames < 3) {
        const size_t length = frameLength(b, p);
        if (length == 0) return wholeFile && frames > 0 && p == b.size();
        p += length;
        frames++;
    }
    return true;
}

size_t id3Length(const std::vector<uint8_t>& b) {
    if (b.size() < 10 || b[0] != 'I' || b[1] != 'D' || b[2] != '3') return 0;
    // Sizes are stored seven bits to a byte; a footer adds ten bytes.
    const size_t size = size_t(b[6] & 0x7F) << 21 | size_t(b[7] & 0x7F) << 14 | size_t(b[8] & 0x7F) << 7 | (b[9] & 0x7F);
    return 10 + size + ((b[5] & 0x10) ? 10 : 0);
}

}  // namespace

bool looksLikeMp3(const std::string& path) {
    PlainOpen opened;
    std::string error;
    std::FILE* f = openPlainStream(path.c_str(), opened, error);
    if (!f) return false;
    std::vector<uint8_t> head(10);
    head.resize(std::fread(head.data(), 1, head.size(), f));
    const size_t skip = id3Length(head);
    std::vector<uint8_t> b(kLookAhead);
    const bool seeked = std::fseek(f, long(skip), SEEK_SET) == 0;
    b.resize(seeked ? std::fread(b.data(), 1, b.size(), f) : 0);
    const bool wholeFile = std::fgetc(f) == EOF;
    std::fclose(f);
    for (size_t p = 0; p + 4 <= b.size(); p++)
        if (framesFrom(b, p, wholeFile)) return true;
    return false;
}
