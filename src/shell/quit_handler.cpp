// The handler that takes over the end of the show, for every platform's CMain.
#include "shell/engine.h"

static QuitHandler quitHandler = nullptr;

QuitHandler setQuitHandler(QuitHandler handler) {
    const QuitHandler previous = quitHandler;
    quitHandler = handler;
    return previous;
}

QuitHandler currentQuitHandler() { return quitHandler; }
