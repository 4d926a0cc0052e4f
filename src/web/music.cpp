// The music layer in the page, over the Web Audio API. The page fetches and
// decodes the show's music, and offers to start only once it has (a browser
// decodes in the background, and starts sound only after a click); it hands
// it over as Module.korvaneMusic = {context, path, buffer}. Opening a stream
// takes it when it is the file the scan chose.
#include <emscripten.h>

#include "shell/music.h"
#include "web/web_music.h"

struct MusicSystem {};
struct MusicStream {};
struct MusicChannel {};

static MusicSystem theSystem;
static MusicStream theStream;
static MusicChannel theChannel;

EM_JS(int, pageHasAudio, (), { return Module.korvaneMusic && Module.korvaneMusic.context ? 1 : 0; });

// The page may still be decoding it: it offers to play once it has.
EM_JS(int, pageOpenMusic, (const char* path), {
    const music = Module.korvaneMusic;
    music.open = music.path === UTF8ToString(path);
    return music.open ? 1 : 0;
});

EM_JS(void, pagePlayMusic, (int ms), {
    const music = Module.korvaneMusic;
    if (!music || !music.open || !music.buffer) return;
    if (music.source) music.source.stop();
    music.source = null;
    const offset = ms / 1000;
    music.startedAt = music.context.currentTime - offset;
    if (offset >= music.buffer.duration) return;
    const source = music.context.createBufferSource();
    source.buffer = music.buffer;
    source.connect(music.destination || music.context.destination);
    source.start(0, offset);
    music.source = source;
});

EM_JS(void, pageStopMusic, (), {
    const music = Module.korvaneMusic;
    if (music && music.source) music.source.stop();
    if (music) music.source = null;
});

MusicSystem* musicSystemCreate() { return pageHasAudio() ? &theSystem : nullptr; }

MusicStream* musicOpenStream(MusicSystem* system, const char* path) {
    return system && pageOpenMusic(path) ? &theStream : nullptr;
}

MusicChannel* musicPlay(MusicSystem* system, MusicStream* stream) {
    if (!system || !stream) return nullptr;
    pagePlayMusic(0);
    return &theChannel;
}

void musicStreamRelease(MusicStream* stream) {
    if (stream) pageStopMusic();
}

void musicSystemRelease(MusicSystem*) {}

void webMusicPlayFrom(int32_t ms) { pagePlayMusic(ms); }

void webMusicStop() { pageStopMusic(); }
