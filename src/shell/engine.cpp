#include "shell/engine.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>

#include "shell/sound.h"

CMain engine;

void CMain::quit() {
    if (const QuitHandler handler = currentQuitHandler()) {
        handler();
        std::abort();  // a handler that returns has broken its contract
    }
    sound.exit();
    SDL_Quit();
    std::exit(0);
}

void CMain::fail(const std::string& message) {
    std::fprintf(stderr, "korvane: %s\n", message.c_str());
    sound.exit();
    SDL_Quit();
    std::exit(1);
}
