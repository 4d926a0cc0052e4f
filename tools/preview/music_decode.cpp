// Whole-file music decoding: the player's decoder, read to the end.
#include "music_decode.h"

#include <algorithm>
#include <new>

// Frames read at a time, between looks at cancel.
static const int kChunkFrames = 16384;

DecodedMusic decodeMusic(const std::string& path, const std::atomic<bool>& cancel, int64_t maxFrames) {
    DecodedMusic result;
    auto fail = [&](const std::string& why) {
        std::vector<int16_t>().swap(result.pcm);
        result.message = path + ": " + why;
        return std::move(result);
    };
    MusicDecoder decoder;
    std::string why;
    if (!decoder.open(path, why)) return fail(why);
    try {
        // What the file says it lasts, so that the vector does not grow by doubling.
        result.pcm.reserve(size_t(std::min(decoder.length() + kMusicRate, maxFrames)) * kMusicChannels);
        int64_t frames = 0;
        while (frames < maxFrames) {
            if (cancel) return fail("decoding cancelled");
            const int wanted = int(std::min<int64_t>(kChunkFrames, maxFrames - frames));
            result.pcm.resize(size_t(frames + wanted) * kMusicChannels);
            const int got = decoder.read(result.pcm.data() + frames * kMusicChannels, wanted);
            frames += got;
            result.pcm.resize(size_t(frames) * kMusicChannels);
            if (got < wanted) return result;
        }
        // Full: is there more?
        int16_t more[kMusicChannels];
        if (decoder.read(more, 1) == 1)
            result.message = path + ": longer than " + std::to_string(maxFrames / kMusicRate) +
                             " s; the preview plays only that much";
    } catch (const std::bad_alloc&) {
        return fail("not enough memory to decode it");
    }
    return result;
}
