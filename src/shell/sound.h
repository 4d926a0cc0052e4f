// The show's music: opened by the data directory scan, started with the clock,
// released at shutdown. Every operation does nothing while einit.soundOn is false.
#pragma once

#include "shell/music.h"

class CSound {
public:
    MusicSystem* system;
    MusicStream* music;
    MusicChannel* channel;

    void prepare();               // start, in the background, what opening a file needs
    void init(const char* path);  // open a fresh system and the file at path
    void play();                  // start the opened music once
    void exit();                  // release the music and the system
};

extern CSound sound;
