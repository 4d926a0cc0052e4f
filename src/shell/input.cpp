#include "shell/input.h"

#include "shell/engine.h"

CInput input;

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
