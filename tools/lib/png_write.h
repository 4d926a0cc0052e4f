// Writing one frame as a PNG file.
#pragma once

#include <string>

#include "frame.h"

// RGB, 8 bits a channel, no time stamp or other chunk that would change from
// run to run: the same frame always gives the same bytes.
bool writePng(const std::string& path, const Frame& frame, std::string& error);
