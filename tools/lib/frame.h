// One frame as GL reads it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Frame {
    int width = 0;
    int height = 0;
    int64_t index = 0;  // counted from the first frame written
    // width x height pixels of 4 bytes, blue, green, red and a fourth, bottom
    // row first (GL's origin): the layout Mesa keeps, so reading it back is a
    // plain copy. In pixels, or where the reader maps them (a GL pixel buffer
    // of a capture); valid while the frame is being written.
    const uint8_t* bgra = nullptr;
    std::vector<uint8_t> pixels;
    unsigned buffer = 0;  // the capture's GL pixel buffer bgra is mapped from; 0: none

    // Row y counted from the top of the picture.
    const uint8_t* topRow(int y) const { return bgra + size_t(height - 1 - y) * size_t(width) * 4; }
};
