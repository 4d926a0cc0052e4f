// Music a browser cannot decode (XM and IT modules), rendered once to Ogg
// Vorbis, which every browser plays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Encodes interleaved 16-bit stereo samples at rate into an Ogg Vorbis file
// at path (the temporary file of a staged output). False with why.
bool encodeOgg(const std::vector<int16_t>& pcm, int rate, const std::string& path, std::string& why);
