// The music layer over SDL 1.2's audio: the device asks for a buffer at a
// time, and the playing stream's decoder makes it then, so a file is decoded
// as it plays. The system is the open device; it plays one stream at a time.
#include "shell/music.h"

#include <SDL/SDL.h>

#include <cstring>

#include "shell/music_decoder.h"
#include "shell/music_device.h"
#include "shell/music_libav.h"

// 2048 frames: 46 ms a buffer.
static const int kBufferFrames = 2048;

struct MusicSystem {
    bool startedAudio;               // we started SDL's audio subsystem and must close it
    MusicStream* playing = nullptr;  // read by the device's thread; changed under SDL_LockAudio
};
struct MusicStream {
    MusicSystem* system;
    MusicDecoder decoder;
    bool ended = false;  // played to its end (or failed): silence from then on
};
struct MusicChannel {};

static MusicChannel theChannel;

// On SDL's audio thread, with the audio lock held.
static void fill(void* userdata, uint8_t* buffer, int bytes) {
    std::memset(buffer, 0, size_t(bytes));
    MusicStream* stream = static_cast<MusicSystem*>(userdata)->playing;
    if (!stream || stream->ended) return;
    const int frames = bytes / int(kMusicChannels * sizeof(int16_t));
    try {
        stream->ended = stream->decoder.read(reinterpret_cast<int16_t*>(buffer), frames) < frames;
    } catch (...) {  // nothing may leave the device's thread: the music stops instead
        stream->ended = true;
    }
}

void musicPrepare() { libavLoadAhead(); }

MusicSystem* musicSystemCreate() {
    MusicSystem* system = new MusicSystem{false};
    std::string error;
    // Silence until a stream plays, so that playing starts within a buffer.
    if (!musicDeviceOpen(kBufferFrames, fill, system, system->startedAudio, error)) {
        delete system;
        return nullptr;
    }
    return system;
}

MusicStream* musicOpenStream(MusicSystem* system, const char* path, std::string* why) {
    if (!system) return nullptr;
    MusicStream* stream = new MusicStream{system, {}};
    std::string reason;
    if (!stream->decoder.open(path, reason)) {
        delete stream;
        if (why) *why = reason;
        return nullptr;
    }
    return stream;
}

MusicChannel* musicPlay(MusicSystem* system, MusicStream* stream) {
    if (!system || !stream || stream->system != system) return nullptr;
    SDL_LockAudio();
    system->playing = stream;
    SDL_UnlockAudio();
    return &theChannel;
}

void musicStreamRelease(MusicStream* stream) {
    if (!stream) return;
    SDL_LockAudio();  // the device's thread is not inside fill() from here on
    if (stream->system->playing == stream) stream->system->playing = nullptr;
    SDL_UnlockAudio();
    delete stream;
}

void musicSystemRelease(MusicSystem* system) {
    if (!system) return;
    musicDeviceClose(system->startedAudio);
    delete system;
}
