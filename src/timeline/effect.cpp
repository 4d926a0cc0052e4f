// (being written) the frame compositor.
#include "timeline/effect.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

CEffect effect;

void CEffect::compose() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void CEffect::DrawGLScene() {
    compose();
    SDL_GL_SwapBuffers();
}
