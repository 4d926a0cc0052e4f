// The per-frame input step.
#pragma once

#include <SDL/SDL.h>

class CInput {
public:
    SDL_Event event;  // the last event taken

    void init();        // keep only the events the show reacts to
    void all();         // take every pending event; Escape or window close ends the show
    void keyboard();    // handle the event in `event`
    int pollEvents();   // take one event into `event`
    void mouse();       // nothing
};

extern CInput input;
