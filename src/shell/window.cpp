#include <SDL/SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/engine.h"
#include "shell/init.h"

// Without a display SDL falls back to a driver that shows nothing, and the
// show would play unseen. A driver the user chose is taken as it is.
static bool driverChosen() {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    return chosen && *chosen;
}

static bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

[[noreturn]] static void noDisplay(const std::string& why) {
    engine.fail("no display (" + why + "); korvane-capture renders a show without one, for instance " +
                "korvane-capture --video show.mp4");
}

// Before SDL starts, so that it does not first try every driver it has.
static void requireDisplaySet() {
    if (!driverChosen() && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) noDisplay("DISPLAY is not set");
}

// A display that is set but cannot be reached leaves SDL with the same fallback.
static void requireDisplayReached() {
    if (driverChosen()) return;
    char driver[32] = "";
    if (!SDL_VideoDriverName(driver, sizeof driver)) driver[0] = '\0';
    if (driver[0] && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return;
    noDisplay(isSet("DISPLAY") ? std::string("cannot reach the X display ") + std::getenv("DISPLAY")
                               : std::string("cannot reach the Wayland display"));
}

void unscaledFullScreen() { setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0); }

void CInit::window() {
    requireDisplaySet();
    unscaledFullScreen();
    SDL_Init(SDL_INIT_VIDEO);
    requireDisplayReached();
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
