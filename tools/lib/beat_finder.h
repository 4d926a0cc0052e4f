// Finding the beats of decoded music: aubio's beat tracker and onset
// detector over the samples, then, where the tempo holds, a steady grid
// fitted to what they found and extended over all of the music that sounds.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "beat_grid.h"

// frames of channels interleaved 16-bit samples at rate, frame 0 at show time
// 0. Empty when the music has too few beats to tell a tempo, or when cancel
// becomes true (checked every few milliseconds of work).
BeatGrid findBeats(const int16_t* samples, size_t frames, int channels, int rate, const std::atomic<bool>& cancel);
