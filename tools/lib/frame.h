// One frame as GL reads it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Frame {
    int width = 0;
    int height = 0;
    int64_t index = 0;          // counted from the first frame written
    std::vector<uint8_t> rgba;  // 4 bytes a pixel, bottom row first (GL's origin)

    // Row y counted from the top of the picture.
    const uint8_t* topRow(int y) const { return rgba.data() + size_t(height - 1 - y) * size_t(width) * 4; }
};
