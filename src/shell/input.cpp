#include "shell/input.h"

#include "shell/engine.h"

CInput input;

// SDL 1.2 queues at most 128 events and drops new ones when the queue is
// full, and one pump of the window system can bring in far more (a burst of
// mouse motion). Events the show ignores are not queued at all, so they cannot
// crowd out an Escape press or a close request.
void CInput::init() {
    for (int type = SDL_ACTIVEEVENT; type < SDL_NUMEVENTS; type++)
        if (type != SDL_KEYDOWN && type != SDL_QUIT) SDL_EventState(static_cast<Uint8>(type), SDL_IGNORE);
}

// SDL 1.2 drops events once its queue is full, so every pending event is taken
// each frame: an Escape press behind a flood of mouse motion still counts.
void CInput::all() {
    while (pollEvents()) keyboard();
}

void CInput::keyboard() {
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) engine.quit();
    if (event.type == SDL_QUIT) engine.quit();
}

int CInput::pollEvents() { return SDL_PollEvent(&event); }

void CInput::mouse() {}
