// The music layer over SDL_mixer 1.2. SDL_mixer has one music stream at a
// time, so a system is the open audio device and a channel is that stream.
#include "shell/music.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

struct MusicSystem {
    bool openedAudio;  // we started SDL's audio subsystem and must close it
};
struct MusicStream {
    Mix_Music* music;
};
struct MusicChannel {};

static MusicChannel theChannel;

MusicSystem* musicSystemCreate() {
    const bool started = SDL_WasInit(SDL_INIT_AUDIO) == 0;
    if (started && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        if (started) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    return new MusicSystem{started};
}

MusicStream* musicOpenStream(MusicSystem* system, const char* path) {
    if (!system) return nullptr;
    Mix_Music* music = Mix_LoadMUS(path);
    if (!music) return nullptr;
    return new MusicStream{music};
}

MusicChannel* musicPlay(MusicSystem* system, MusicStream* stream) {
    if (!system || !stream) return nullptr;
    if (Mix_PlayMusic(stream->music, 0) != 0) return nullptr;  // 0: once, no loop
    return &theChannel;
}

void musicStreamRelease(MusicStream* stream) {
    if (!stream) return;
    Mix_FreeMusic(stream->music);  // stops it first when it is playing
    delete stream;
}

void musicSystemRelease(MusicSystem* system) {
    if (!system) return;
    Mix_CloseAudio();
    if (system->openedAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    delete system;
}
