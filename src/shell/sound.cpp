#include "shell/sound.h"

#include "shell/engine.h"
#include "shell/init.h"

CSound sound;

void CSound::prepare() {
    if (!einit.soundOn) return;
    musicPrepare();
}

void CSound::init(const char* path) {
    if (!einit.soundOn) return;
    // A later music file replaces an earlier one: release what the earlier call opened.
    exit();
    music = nullptr;
    system = musicSystemCreate();
    std::string why;
    music = musicOpenStream(system, path, &why);
    if (!music && !why.empty()) engine.warn(std::string(path) + ": " + why + "; the show is silent");
}

void CSound::play() {
    if (!einit.soundOn) return;
    channel = musicPlay(system, music);
}

void CSound::exit() {
    if (!einit.soundOn) return;
    musicStreamRelease(music);
    musicSystemRelease(system);
    music = nullptr;
    system = nullptr;
    channel = nullptr;
}
