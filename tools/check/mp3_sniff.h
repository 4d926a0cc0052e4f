// A look for MPEG audio frames, since SDL_mixer opens any file named .mp3.
#pragma once

#include <string>

// Whether the file holds, after an optional ID3v2 tag and within its first
// 256 KiB, three MPEG audio frame headers in a row (each where the one
// before says the next begins), or a run of them up to the end of the file.
bool looksLikeMp3(const std::string& path);
