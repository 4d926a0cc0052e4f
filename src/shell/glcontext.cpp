#include "shell/glcontext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>  // Required for: EGL_PLATFORM_SURFACELESS_MESA

#include <cstdint>

static void setError(std::string* error, const char* what) {
    if (error) *error = std::string(what) + " (EGL error " + std::to_string(eglGetError()) + ")";
}

// The configuration's largest pbuffer. Mesa makes larger ones when asked,
// and allocates them whole, so the limit is kept here, before any memory goes.
static bool withinLimits(EGLDisplay display, EGLConfig config, int width, int height, std::string* error) {
    EGLint maxWidth = 0, maxHeight = 0, maxPixels = 0;
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_WIDTH, &maxWidth);
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_HEIGHT, &maxHeight);
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_PIXELS, &maxPixels);  // 0: no limit of its own
    const bool fits = (maxWidth <= 0 || width <= maxWidth) && (maxHeight <= 0 || height <= maxHeight) &&
                      (maxPixels <= 0 || int64_t(width) * height <= maxPixels);
    if (!fits && error) {
        *error = "the largest it takes is " + std::to_string(maxWidth) + "x" + std::to_string(maxHeight);
        if (maxPixels > 0) *error += ", " + std::to_string(maxPixels) + " pixels in all";
    }
    return fits;
}

OffscreenContext::~OffscreenContext() { destroy(); }

// The surfaceless platform needs no X server; fall back to the default display.
static EGLDisplay openDisplay() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay display = EGL_NO_DISPLAY;
    if (getPlatformDisplay)
        display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display != EGL_NO_DISPLAY && !eglInitialize(display, nullptr, nullptr)) display = EGL_NO_DISPLAY;
    return display;
}

static bool chooseConfig(EGLDisplay display, EGLConfig& config) {
    // The depth of the player's and the preview's windows (Mesa's GLX visuals
    // have 24 bits), so that a capture draws what they show: with 16 bits,
    // lines and faces close in depth come out in another order. EGL gives
    // the smallest depth that is at least the one asked for.
    const EGLint configAttribs[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
        EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLint count = 0;
    return eglChooseConfig(display, configAttribs, &config, 1, &count) && count >= 1;
}

bool frameSizeFits(int width, int height, std::string* error) {
    const EGLDisplay display = openDisplay();
    if (display == EGL_NO_DISPLAY) return true;
    EGLConfig config;
    const bool fits = !chooseConfig(display, config) || withinLimits(display, config, width, height, error);
    eglTerminate(display);
    return fits;
}

bool OffscreenContext::create(int width, int height, std::string* error) {
    destroy();
    const EGLDisplay display = openDisplay();
    if (display == EGL_NO_DISPLAY) {
        setError(error, "cannot open an EGL display");
        return false;
    }
    display_ = display;
    EGLConfig config;
    if (!chooseConfig(display, config)) {
        setError(error, "no EGL configuration with an RGBA pbuffer and depth");
        destroy();
        return false;
    }
    if (!withinLimits(display, config, width, height, error)) {
        destroy();
        return false;
    }
    const EGLint surfaceAttribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface_ = eglCreatePbufferSurface(display, config, surfaceAttribs);
    if (surface_ == EGL_NO_SURFACE) {
        surface_ = nullptr;
        setError(error, "cannot create an EGL pbuffer");
        destroy();
        return false;
    }
    eglBindAPI(EGL_OPENGL_API);
    // The engine draws with fixed-function GL: ask for a compatibility profile.
    const EGLint contextAttribs[] = {
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
    if (context_ == EGL_NO_CONTEXT) context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT) {
        context_ = nullptr;
        setError(error, "cannot create an EGL OpenGL context");
        destroy();
        return false;
    }
    if (!eglMakeCurrent(display, surface_, surface_, context_)) {
        setError(error, "cannot make the EGL context current");
        destroy();
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

void OffscreenContext::destroy() {
    if (!display_) return;
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_) eglDestroyContext(display_, context_);
    if (surface_) eglDestroySurface(display_, surface_);
    eglTerminate(display_);
    display_ = context_ = surface_ = nullptr;
    width_ = height_ = 0;
}
