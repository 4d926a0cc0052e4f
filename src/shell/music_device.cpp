#include "shell/music_device.h"

#include <SDL/SDL.h>

#include "shell/music_decoder.h"  // Required for: kMusicRate, kMusicChannels

bool musicDeviceOpen(int frames, MusicFill fill, void* userdata, bool& startedAudio, std::string& error) {
    startedAudio = SDL_WasInit(SDL_INIT_AUDIO) == 0;
    if (startedAudio && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        startedAudio = false;
        return false;
    }
    SDL_AudioSpec wanted = {};
    wanted.freq = kMusicRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kMusicChannels;
    wanted.samples = Uint16(frames);
    wanted.callback = fill;
    wanted.userdata = userdata;
    // No spec back: SDL converts to whatever the device takes.
    if (SDL_OpenAudio(&wanted, nullptr) != 0) {
        error = SDL_GetError();
        if (startedAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        startedAudio = false;
        return false;
    }
    SDL_PauseAudio(0);
    return true;
}

void musicDeviceClose(bool startedAudio) {
    SDL_CloseAudio();
    if (startedAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
