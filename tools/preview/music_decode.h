// Decoding a whole music file to PCM with the player's music decoder, so
// that the preview can play it from any sample.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/music_decoder.h"  // Required for: kMusicRate, kMusicChannels

// At most 15 minutes are kept: 159 MB of PCM. A longer file is cut there.
const int64_t kMaxMusicFrames = int64_t(15) * 60 * kMusicRate;

struct DecodedMusic {
    std::vector<int16_t> pcm;  // interleaved left, right; frame 0 is show time 0
    // Empty when the whole file decoded. Otherwise "PATH: ..." saying why
    // nothing plays (pcm empty) or why part of it does not (cut at the bound).
    std::string message;
};

// Decodes path from start to end, as the player plays it. When cancel
// becomes true the decode stops early with an empty result. Never throws:
// running out of memory is a message too.
DecodedMusic decodeMusic(const std::string& path, const std::atomic<bool>& cancel,
                         int64_t maxFrames = kMaxMusicFrames);
