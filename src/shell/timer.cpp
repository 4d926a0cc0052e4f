#include "shell/timer.h"

#include <SDL/SDL.h>

CTimer timer;

void CTimer::init() { start = SDL_GetTicks(); }

void CTimer::getTime() {
    SDL_Delay(1);
    // Taken from the wall clock every frame, never summed, so slow frames do not slow the show.
    elapsed = static_cast<int32_t>(SDL_GetTicks() - start);
}
