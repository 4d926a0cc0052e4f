// The way out of a show in the page: the page stays, so nothing exits. The
// show's "end" goes to the quit handler when one is set (the playhead sets
// one while it composes); a failure is told to the page in words.
#include "shell/engine.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>

#include "web/player.h"

CMain engine;

EM_JS(void, pageShowFailure, (const char* message), {
    if (Module.onKorvaneFailure) Module.onKorvaneFailure(UTF8ToString(message));
});

void CMain::quit() {
    if (const QuitHandler handler = currentQuitHandler()) {
        handler();
        std::abort();  // a handler that returns has broken its contract
    }
    throw ShowStopped{0};
}

// To the browser's console: the show goes on.
void CMain::warn(const std::string& message) { std::fprintf(stderr, "korvane: warning: %s\n", message.c_str()); }

void CMain::fail(const std::string& message) {
    pageShowFailure(message.c_str());
    throw ShowStopped{1};
}
