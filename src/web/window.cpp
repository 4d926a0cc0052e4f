// The show's window in the page: the canvas, sized to the video mode, with a
// WebGL context that the fixed-function layer draws through.
#include <SDL/SDL.h>  // Required for: SDL_FULLSCREEN
#include <emscripten.h>
#include <emscripten/html5.h>

#include "shell/engine.h"
#include "shell/init.h"
#include "web/gl/fixed_gl.h"

static const char* const kCanvas = "#canvas";

EM_JS(void, pageSetTitle, (), { document.title = "Korvane"; });

static EMSCRIPTEN_WEBGL_CONTEXT_HANDLE createContext(int majorVersion) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = majorVersion;
    // No alpha in the picture, as in the player's window; 24 bits of depth
    // (with stencil, as browsers give them together); no multisampling,
    // which would smooth edges the player draws hard; the frame kept after
    // it is shown, so that the still of a paused show can be read back.
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_TRUE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;
    attributes.powerPreference = EM_WEBGL_POWER_PREFERENCE_HIGH_PERFORMANCE;
    return emscripten_webgl_create_context(kCanvas, &attributes);
}

void CInit::window() {
    if (windowed) videoFlags &= ~static_cast<uint32_t>(SDL_FULLSCREEN);
    emscripten_set_canvas_element_size(kCanvas, modeWidth, modeHeight);
    pageSetTitle();
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = createContext(2);
    if (context <= 0) context = createContext(1);
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS)
        engine.fail("this browser cannot draw the show: it has no WebGL");
    if (!kglInit(modeWidth, modeHeight)) engine.fail("this browser's WebGL cannot draw the show");
}
