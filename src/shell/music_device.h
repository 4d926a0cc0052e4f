// SDL's audio device, opened for the music's output format: the player's
// music layer and the preview's output both play through it.
#pragma once

#include <cstdint>
#include <string>

using MusicFill = void (*)(void* userdata, uint8_t* buffer, int bytes);

// Opens SDL's audio device for 44.1 kHz 16-bit stereo, asking fill for frames
// frames at a time, and starts it: fill writes silence while nothing plays.
// Starts SDL's audio subsystem first when it is not running, and says so in
// startedAudio. False with SDL's message in error.
bool musicDeviceOpen(int frames, MusicFill fill, void* userdata, bool& startedAudio, std::string& error);
// Closes the device, and SDL's audio subsystem when its opening started it.
void musicDeviceClose(bool startedAudio);
