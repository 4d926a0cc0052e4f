// Show times written as the script writes them: seconds with a point.
#pragma once

#include <cstdint>
#include <string>

// "24.480" for 24480 ms, and for the few times whose three decimals the
// player reads a millisecond short (it truncates seconds times 1000, and
// 1.001 s comes out 1000 ms) one digit more, "1.0015": the text the player
// reads as ms. ms from 0 to 2147483647.
std::string scriptSeconds(int64_t ms);
