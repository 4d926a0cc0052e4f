// Decoding a whole music file (MP3, Ogg Vorbis, XM, IT) to PCM with
// libavformat and libavcodec (modules through libopenmpt), so that the preview
// can play it from any sample.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// The preview's audio format: 44.1 kHz, 16-bit signed, stereo, as the player opens it.
const int kMusicRate = 44100;
const int kMusicChannels = 2;
// At most 15 minutes are kept: 159 MB of PCM. A longer file is cut there.
const int64_t kMaxMusicFrames = int64_t(15) * 60 * kMusicRate;

struct DecodedMusic {
    std::vector<int16_t> pcm;  // interleaved left, right; frame 0 is show time 0
    // Empty when the whole file decoded. Otherwise "PATH: ..." saying why
    // nothing plays (pcm empty) or why part of it does not (cut at the bound).
    std::string message;
};

// Decodes path from start to end, resampled to kMusicRate stereo. Packets that
// fail to decode are passed over. When cancel becomes true the decode stops
// early with an empty result.
DecodedMusic decodeMusic(const std::string& path, const std::atomic<bool>& cancel,
                         int64_t maxFrames = kMaxMusicFrames);
