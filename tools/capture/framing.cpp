#include "framing.h"

#include <algorithm>
#include <cmath>

Framing frameLayout(int renderW, int renderH, int frameW, int frameH, bool fill) {
    const double sx = double(frameW) / renderW, sy = double(frameH) / renderH;
    const double scale = fill ? std::max(sx, sy) : std::min(sx, sy);
    Framing f;
    // The side that decides the scale matches the frame's exactly.
    f.width = scale == sx ? frameW : int(std::lround(renderW * scale));
    f.height = scale == sy ? frameH : int(std::lround(renderH * scale));
    f.x = int(std::floor((frameW - f.width) / 2.0));
    f.y = int(std::floor((frameH - f.height) / 2.0));
    f.scale = float(scale);
    return f;
}
