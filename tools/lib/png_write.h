// Writing one frame as a PNG file.
#pragma once

#include <string>

#include "frame.h"

// RGB, 8 bits a channel, no time stamp or other chunk that would change from
// run to run: the same frame always gives the same bytes. Writes to the open
// file fd and closes it; error says what failed.
bool writePng(int fd, const Frame& frame, std::string& error);
