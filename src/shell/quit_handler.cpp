// The handler that takes over the end of the show, for every platform's CMain.
#include "shell/engine.h"

// One a thread: a tool that checks a script on a thread of its own catches
// that script's "end" there, while the show it plays goes on beside it.
static thread_local QuitHandler quitHandler = nullptr;

QuitHandler setQuitHandler(QuitHandler handler) {
    const QuitHandler previous = quitHandler;
    quitHandler = handler;
    return previous;
}

QuitHandler currentQuitHandler() { return quitHandler; }
