#include "shell/engine.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>

#include "shell/sound.h"

CMain engine;

// One a thread: a tool that checks a script on a thread of its own catches
// that script's "end" there, while the show it plays goes on beside it.
static thread_local QuitHandler quitHandler = nullptr;

QuitHandler setQuitHandler(QuitHandler handler) {
    const QuitHandler previous = quitHandler;
    quitHandler = handler;
    return previous;
}

void CMain::quit() {
    if (quitHandler) {
        quitHandler();
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
