#include "timeline/effect.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <cstdint>
#include <optional>

#include "assets/imageloader.h"  // Required for: bindTexture
#include "draw/attrib.h"
#include "draw/camera.h"
#include "draw/rm_evil_bezier.h"
#include "draw/show3ds.h"
#include "script/script.h"
#include "shell/init.h"
#include "shell/timer.h"
#include "timeline/frame_state.h"

// Stateless: everything that lasts from frame to frame is in the scene records.
CEffect effect;

// Pixel sizes of the render size (line widths) times this; see setOutputView.
static float outputScale = 1.0f;

// The fixed perspective of every frame; its aspect does not follow the render size.
static void frameProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.33, 1.33, -1.0, 1.0, 1.5, 10000.0);
    camera.render();
}

static void stateOn(const CScene& s) {
    if (s.blend) {
        glBlendFunc(static_cast<GLenum>(s.blendSrc), static_cast<GLenum>(s.blendDst));
        glEnable(GL_BLEND);
    }
    if (s.wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    if (s.envmap) {
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    }
}

static void stateOff(const CScene& s) {
    if (s.blend) glDisable(GL_BLEND);
    if (s.wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (s.envmap) {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
}

// Colour and transform go onto the projection matrix, inside a save.
static void modelPass(CScene& s) {
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glPushMatrix();
    s.objUpdate();
    Show3DS(s.objectCur, s.maskCur);
    glPopMatrix();
    popAttribWithCurrent();
}

struct Rect {
    float x0, y0, x1, y1;
};

// Pixel placement: centred, or at the move offset (which wins), then grown
// about its own centre by the scale.
static Rect imageRect(const CScene& s) {
    const int64_t W = einit.width, H = einit.height;
    const int64_t w = s.imageWidth, h = s.imageHeight;
    Rect r{0.0f, 0.0f, 0.0f, 0.0f};
    if (s.center) {
        r.x0 = static_cast<float>(W - (W / 2 + w / 2));
        r.y0 = static_cast<float>(H - (H / 2 + h / 2));
    }
    if (s.moveOn) {
        r.x0 = s.moveCur[0];
        r.y0 = s.moveCur[1];
    }
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    if (s.scaleOn) {
        const float sx = s.scaleCur[0], sy = s.scaleCur[1];
        r.x0 = r.x0 - (sx - 1.0f) * fw * 0.5f;
        r.y0 = r.y0 - (sy - 1.0f) * fh * 0.5f;
        r.x1 = r.x0 + sx * fw;
        r.y1 = r.y0 + sy * fh;
    } else {
        r.x1 = r.x0 + fw;
        r.y1 = r.y0 + fh;
    }
    return r;
}

// Texture row 0, the top of the picture, goes to the top of the quad.
static void drawQuad(const Rect& r) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(r.x0, r.y0);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(r.x0, r.y1);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(r.x1, r.y1);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(r.x1, r.y0);
    glEnd();
}

// Images are always blended and never depth-tested, so each covers
// whatever the frame holds so far.
static void imagePass(CScene& s) {
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    s.imgUpdate();
    glBlendFunc(static_cast<GLenum>(s.blendSrc), static_cast<GLenum>(s.blendDst));
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    // The rotation comes before the pixel mapping: it turns the image about
    // the screen centre.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (s.rotateOn) glRotatef(s.angleCur, s.axisCur[0], s.axisCur[1], s.axisCur[2]);
    glOrtho(0.0, einit.width, 0.0, einit.height, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    if (s.colorOn)
        glColor4f(s.colorCur[0], s.colorCur[1], s.colorCur[2], s.opacityCur);
    else if (s.opacityOn)
        glColor4f(1.0f, 1.0f, 1.0f, s.opacityCur);

    // Sphere mapping reflects the normal: a flat picture faces the viewer,
    // whatever normal the last model left.
    glNormal3f(0.0f, 0.0f, 1.0f);
    const Rect r = imageRect(s);
    if (s.maskOn) {
        bindTexture(s.maskCur);
        drawQuad(r);
    }
    // A missing image (-1) is drawn with whatever texture is bound.
    if (s.objectCur >= 0) bindTexture(s.objectCur);
    drawQuad(r);

    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    popAttribWithCurrent();
    frameProjection();
}

// The texture that imagePass leaves bound when it binds one: the image's
// own, else the mask's.
static int imageTexture(const CScene& s) { return s.objectCur >= 0 ? s.objectCur : s.maskCur; }

static void draw(CScene& s) {
    if (s.sceneNumber == 1) {
        scene1.Bezier();
        return;
    }
    if (s.sceneNumber != 0) return;
    s.timeUpdate();
    s.typeUpdate();
    if (s.type == 0)
        modelPass(s);
    else if (s.type == 1)
        imagePass(s);
}

// Only a running scene reaches here, after its sync bookkeeping.
static void drawScene(CScene& s) {
    stateOn(s);
    draw(s);
    stateOff(s);
}

void CEffect::compose() {
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glLineWidth(3.0f * outputScale);
    // No clear colour is ever set: the background is GL's initial black.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    frameProjection();

    advanceFrame(timer.elapsed, drawScene);
}

// The scissor keeps wide lines at the picture's edge out of the bars, which
// are cleared once here: every later clear stays inside the picture.
void CEffect::setOutputView(int x, int y, int width, int height, float scale) {
    outputScale = scale;
    glDisable(GL_SCISSOR_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(x, y, width, height);
    glScissor(x, y, width, height);
    glEnable(GL_SCISSOR_TEST);
}

void CEffect::DrawGLScene() {
    compose();
    SDL_GL_SwapBuffers();
}

void CEffect::advance() { advanceFrame(timer.elapsed, nullptr); }

// Follows stateOn(): the one place that sets blend factors outside a save.
void CEffect::sendBlendFactors() {
    for (CScene& s : script.scenes)
        if (s.blend && s.isRunning()) glBlendFunc(static_cast<GLenum>(s.blendSrc), static_cast<GLenum>(s.blendDst));
}

// Follows draw(): only the passes of ordinary scenes bind textures.
std::optional<int> CEffect::lastTextureBound() {
    std::optional<int> bound;
    for (CScene& s : script.scenes) {
        if (!s.isRunning() || s.sceneNumber != 0) continue;
        s.timeUpdate();
        s.typeUpdate();
        if (s.type == 0)
            bound = Show3DSTexture(s.objectCur, s.maskCur);
        else if (s.type == 1 && (s.objectCur >= 0 || s.maskOn))
            bound = imageTexture(s);
    }
    return bound;
}
