#include <SDL/SDL.h>

#include "shell/init.h"

void CInit::window() {
    SDL_Init(SDL_INIT_VIDEO);
    if (windowed)
        videoFlags &= ~static_cast<uint32_t>(SDL_FULLSCREEN);
    else
        SDL_ShowCursor(SDL_DISABLE);
    screen = SDL_SetVideoMode(modeWidth, modeHeight, 0, videoFlags);
    SDL_WM_SetCaption("Korvane", nullptr);
    // Governs only a later mode switch; SDL's contexts are double-buffered by default.
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (!windowed) SDL_ShowCursor(SDL_DISABLE);
}
