#include "window.h"

#include <SDL/SDL.h>

#include "script/script.h"
#include "shell/glcontext.h"
#include "shell/init.h"

void renderSize(const PreviewOptions& options, int& width, int& height) {
    einit.defaults();
    if (options.width > 0) {
        width = options.width;
        height = options.height;
        return;
    }
    CScript probe;  // its options land in einit
    probe.init(kScriptPath);
    width = einit.width > 0 ? einit.width : 640;
    height = einit.height > 0 ? einit.height : 480;
}

// A frame has the channels of korvane-capture's offscreen one, so blending
// that reads the frame's alpha gives the same picture.
bool openWindow(bool fullscreen, int width, int height, std::string& error) {
    // Checked before anything is made: Mesa would make the window of any
    // size and compose in it with gigabytes, a frame every few seconds.
    std::string why;
    if (!frameSizeFits(width, height, &why)) {
        error = "no GL context of " + std::to_string(width) + "x" + std::to_string(height) + ": " + why;
        return false;
    }
    einit.windowed = !fullscreen;
    einit.modeWidth = width;
    einit.modeHeight = height;
    unscaledFullScreen();
    SDL_Init(SDL_INIT_VIDEO);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    einit.window();
    if (!einit.screen) {
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
        einit.window();
    }
    if (!einit.screen) {
        error = "cannot open a " + std::to_string(width) + "x" + std::to_string(height) +
                " OpenGL window: " + SDL_GetError();
        return false;
    }
    SDL_WM_SetCaption("Korvane preview", nullptr);
    SDL_ShowCursor(SDL_ENABLE);  // the strip takes clicks, also in full screen
    // Keys, and the mouse for the strip (pointing, clicking, dragging);
    // other events would only crowd the queue.
    for (int type = SDL_ACTIVEEVENT; type < SDL_NUMEVENTS; type++)
        if (type != SDL_ACTIVEEVENT && type != SDL_KEYDOWN && type != SDL_MOUSEMOTION && type != SDL_MOUSEBUTTONDOWN &&
            type != SDL_MOUSEBUTTONUP && type != SDL_QUIT)
            SDL_EventState(static_cast<Uint8>(type), SDL_IGNORE);
    SDL_EnableKeyRepeat(SDL_DEFAULT_REPEAT_DELAY, SDL_DEFAULT_REPEAT_INTERVAL);
    return true;
}
