#include "timeline/effect.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <cstdint>
#include <vector>

#include "assets/imageloader.h"  // Required for: bindTexture
#include "draw/camera.h"
#include "draw/rm_evil_bezier.h"
#include "draw/show3ds.h"
#include "script/script.h"
#include "shell/init.h"
#include "shell/timer.h"

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

// Mark lengths come from the script unchecked: sums saturate instead of wrapping.
static int32_t addTime(int32_t a, int32_t b) {
    const int64_t sum = static_cast<int64_t>(a) + b;
    if (sum > INT32_MAX) return INT32_MAX;
    if (sum < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(sum);
}

// At most one group of equal start times per frame; the parser takes the group.
static void takeDueStatements(int32_t now) {
    const int32_t next = script.nextStatement;
    if (next < 0) return;
    const size_t index = static_cast<size_t>(next);
    if (index < script.statements.size() && index < script.startTimes.size() && now >= script.startTimes[index])
        script.parse();
}

// The sync list a scene follows, or null when it names none or an empty one:
// such a scene keeps its own look and times.
static const std::vector<SYNC>* syncListOf(const CScene& s) {
    if (s.syncList < 0 || static_cast<size_t>(s.syncList) >= script.syncLists.size()) return nullptr;
    const std::vector<SYNC>& list = script.syncLists[s.syncList];
    return list.empty() ? nullptr : &list;
}

// The walk erases by packing the scenes it keeps at the front of the list,
// so the list as it stands skips the slots [gap.begin, gap.end): those
// erased so far, behind the kept ones. Set only during the walk.
static struct {
    size_t begin = 0, end = 0;
} gap;

// The first scene of the list on the given track: the template of a mark.
static const CScene* findTrack(int32_t track) {
    const std::vector<CScene>& scenes = script.scenes;
    for (size_t i = 0; i < scenes.size(); i++) {
        if (i == gap.begin) i = gap.end;
        if (i < scenes.size() && scenes[i].track == track) return &scenes[i];
    }
    return nullptr;
}

// Restyles s from the template of mark m; a scene that is its own template
// already has that look.
static bool takeLook(CScene& s, const SYNC& m) {
    const CScene* look = findTrack(m.track);
    if (!look) return false;
    if (look != &s) s.copy(*look);
    return true;
}

// First visit: take the first mark; every visit: loop the list.
static void syncStart(CScene& s, const std::vector<SYNC>& list, int32_t now) {
    if (s.syncPos < 0) {
        s.syncPos = 1;
        if (takeLook(s, list[0])) {
            s.startTime = now;
            s.syncNextTime = addTime(now, list[0].length);
            s.endTime = s.syncNextTime;
        }
    }
    if (static_cast<size_t>(s.syncPos) >= list.size()) s.syncPos = 0;
}

// The next segment ends at the planned mark time, not at now plus the
// length, so late frames do not push later marks back.
static void syncMark(CScene& s, const std::vector<SYNC>& list, int32_t now) {
    if (now < s.endTime) return;
    const SYNC& m = list[s.syncPos];
    if (takeLook(s, m)) {
        s.startTime = now;
        s.syncNextTime = addTime(s.syncNextTime, m.length);
        s.endTime = s.syncNextTime;
    }
    s.syncPos++;
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
    glPopAttrib();
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
    glPopAttrib();
    frameProjection();
}

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

// Advances or draws one scene; returns false when it is to be erased.
static bool visit(CScene& s, int32_t now) {
    const std::vector<SYNC>* list = s.sync ? syncListOf(s) : nullptr;
    if (list) syncStart(s, *list, now);
    // Templates stay for the sync scenes that copy them.
    if (!s.isRunning()) return s.insync;
    if (list) syncMark(s, *list, now);
    stateOn(s);
    draw(s);
    stateOff(s);
    return true;
}

void CEffect::compose() {
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glLineWidth(3.0f * outputScale);
    // No clear colour is ever set: the background is GL's initial black.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    frameProjection();

    const int32_t now = timer.elapsed;
    takeDueStatements(now);
    // One pass that erases in place: a whole group ending in one frame
    // costs no more than walking it.
    std::vector<CScene>& scenes = script.scenes;
    size_t kept = 0;
    for (size_t i = 0; i < scenes.size(); i++) {
        gap = {kept, i};
        if (!visit(scenes[i], now)) continue;
        if (kept != i) scenes[kept] = scenes[i];
        kept++;
    }
    gap = {0, 0};
    scenes.erase(scenes.begin() + static_cast<std::ptrdiff_t>(kept), scenes.end());
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
