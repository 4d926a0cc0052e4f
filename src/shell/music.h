// A small music layer: a system (the audio device), a streamed file, a channel.
// Failures are silent: a call on a system or stream that did not open does nothing.
#pragma once

#include <string>

struct MusicSystem;
struct MusicStream;
struct MusicChannel;

// Starts, in the background, what opening a stream will need (loading the
// decoder), so that the opening need not wait for it. Optional.
void musicPrepare();
// Opens the audio device. Returns null when there is no usable device.
MusicSystem* musicSystemCreate();
// Opens path for streaming: it is decoded while it plays, not loaded whole.
// Returns null when it cannot be opened or decoded, with the reason in *why
// when why is given (for the show's author, without the path).
MusicStream* musicOpenStream(MusicSystem* system, const char* path, std::string* why = nullptr);
// Plays the stream once from the start; returns the channel it plays on.
MusicChannel* musicPlay(MusicSystem* system, MusicStream* stream);
void musicStreamRelease(MusicStream* stream);
void musicSystemRelease(MusicSystem* system);
