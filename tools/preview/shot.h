// S: the held frame as a PNG file.
#pragma once

#include <cstdint>
#include <string>

#include "frame.h"

// Writes frame, the show's frame at time t, to dir/korvane-SECONDS.png (with
// "-2", "-3", ... when that name is taken). Returns what the overlay says:
// the name written, or why nothing was.
std::string writeShot(const Frame& frame, int32_t t, const std::string& dir);
