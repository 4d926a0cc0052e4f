// A small music layer over SDL_mixer: a system, a streamed file, a channel.
// Failures are silent: a call on a system or stream that did not open does nothing.
#pragma once

struct MusicSystem;
struct MusicStream;
struct MusicChannel;

// Opens the audio device. Returns null when there is no usable device.
MusicSystem* musicSystemCreate();
// Opens path for streaming. Returns null when it cannot be opened or decoded.
MusicStream* musicOpenStream(MusicSystem* system, const char* path);
// Plays the stream once from the start; returns the channel it plays on.
MusicChannel* musicPlay(MusicSystem* system, MusicStream* stream);
void musicStreamRelease(MusicStream* stream);
void musicSystemRelease(MusicSystem* system);
