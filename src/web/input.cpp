// The keyboard in the page: the keys of the preview that a viewer needs.
// Keys are taken as the browser hands them over, between frames, so a key
// never waits behind others.
#include "shell/input.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

#include "web/player.h"

CInput input;

EM_JS(void, pageToggleFullscreen, (), {
    if (Module.onKorvaneFullscreen) Module.onKorvaneFullscreen();
});

static SDLKey keyOf(const EmscriptenKeyboardEvent& e) {
    if (std::strcmp(e.key, "Escape") == 0) return SDLK_ESCAPE;
    if (std::strcmp(e.key, " ") == 0) return SDLK_SPACE;
    if (std::strcmp(e.key, "ArrowLeft") == 0) return SDLK_LEFT;
    if (std::strcmp(e.key, "ArrowRight") == 0) return SDLK_RIGHT;
    if (std::strcmp(e.key, "f") == 0 || std::strcmp(e.key, "F") == 0) return SDLK_f;
    return SDLK_UNKNOWN;
}

static EM_BOOL onKey(int, const EmscriptenKeyboardEvent* e, void*) {
    if (e->ctrlKey || e->altKey || e->metaKey) return EM_FALSE;  // the browser's own shortcuts
    std::memset(&input.event, 0, sizeof input.event);
    input.event.type = SDL_KEYDOWN;
    input.event.key.keysym.sym = keyOf(*e);
    if (input.event.key.keysym.sym == SDLK_UNKNOWN) return EM_FALSE;
    input.keyboard();
    return EM_TRUE;  // Space and the arrows do not scroll the page
}

void CInput::init() {
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, onKey);
}

// Keys arrive through onKey.
void CInput::all() {}

void CInput::keyboard() {
    if (event.type != SDL_KEYDOWN) return;
    switch (event.key.keysym.sym) {
    case SDLK_ESCAPE: webStop(); break;
    case SDLK_SPACE: webTogglePause(); break;
    case SDLK_LEFT: webSeekBy(-1000); break;
    case SDLK_RIGHT: webSeekBy(1000); break;
    case SDLK_f: pageToggleFullscreen(); break;
    default: break;
    }
}

int CInput::pollEvents() { return 0; }

void CInput::mouse() {}
