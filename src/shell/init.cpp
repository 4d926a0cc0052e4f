#include "shell/init.h"

#include <GL/gl.h>
#include <SDL/SDL.h>  // Required for: the video flags

#include "draw/camera.h"
#include "script/script.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/light.h"
#include "shell/timer.h"

CInit einit;

const char* const kDataDir = "data";
const char* const kDataPrefix = "data/";
const char* const kScriptPath = "data/script.txt";

void CInit::defaults() {
    videoFlags = SDL_FULLSCREEN | SDL_ASYNCBLIT | SDL_OPENGL | SDL_HWSURFACE;
    windowed = false;
    soundOn = true;
    anaglyphic = false;
    guiOn = true;
    width = 640;
    height = 480;
    modeWidth = 640;
    modeHeight = 480;
}

void CInit::init() {
    defaults();
    // The script comes first: its options decide the window.
    std::string error;
    if (!script.init(kScriptPath, &error)) engine.fail(std::string("cannot open ") + kScriptPath + ": " + error);
    window();
    input.init();
    opengl();
    camera.init();
    // Textures need the GL context, so the assets come after the window.
    dir();
    // Show time 0 is the moment after every asset is loaded.
    timer.init();
}

void CInit::opengl() {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    light.init();
    light.setLight(0, 0, 0.5f, 0.5f, 0.5f, 1.0f);  // ambient: mid grey
    light.setLight(0, 1, 1.0f, 1.0f, 1.0f, 1.0f);  // diffuse: white
    light.initLight(0);
    light.deinit();  // light 0 stays enabled, lighting itself stays off
}
