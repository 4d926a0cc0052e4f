// Switches, the attribute stack, blending, the view and what GL answers
// about them.
#include <algorithm>

#include "fixed_gl.h"
#include "fixed_state.h"

namespace kgl {

Layer layer;

void setError(unsigned err) {
    if (layer.error == GL_NO_ERROR) layer.error = err;
}

// What glPushAttrib saved, for the bits the engine uses.
struct Saved {
    unsigned mask;
    ColorBuffer colorBuffer;
    Current current;
    Enables enables;
};
static std::vector<Saved> attribStack;
static const size_t kAttribStackDepth = 16;

// The switch behind cap, or null for one this layer keeps no state for.
static bool* capability(unsigned cap) {
    Enables& e = layer.enables;
    switch (cap) {
    case GL_TEXTURE_2D: return &e.texture2D;
    case GL_DEPTH_TEST: return &e.depthTest;
    case GL_BLEND: return &layer.colorBuffer.blend;
    case kLineSmooth: return &e.lineSmooth;
    case kTextureGenS: return &e.texGenS;
    case kTextureGenT: return &e.texGenT;
    case kLighting: return &e.lighting;
    case GL_SCISSOR_TEST: return &e.scissorTest;
    default: return nullptr;
    }
}

static void setCapability(unsigned cap, bool on) {
    if (bool* flag = capability(cap)) *flag = on;
    // Lights are never lit (lighting stays off while drawing); other names GL knows change nothing here.
}

// The blend factors GL takes; it refuses any other name and keeps the factors it had.
static bool sourceFactor(unsigned f) {
    switch (f) {
    case GL_ZERO: case GL_ONE: case GL_SRC_COLOR: case GL_ONE_MINUS_SRC_COLOR: case GL_DST_COLOR:
    case GL_ONE_MINUS_DST_COLOR: case GL_SRC_ALPHA: case GL_ONE_MINUS_SRC_ALPHA: case GL_DST_ALPHA:
    case GL_ONE_MINUS_DST_ALPHA: case kSrcAlphaSaturate: case GL_CONSTANT_COLOR:
    case GL_ONE_MINUS_CONSTANT_COLOR: case GL_CONSTANT_ALPHA: case GL_ONE_MINUS_CONSTANT_ALPHA:
        return true;
    default:
        return false;
    }
}

}  // namespace kgl

using namespace kgl;

bool kglInit(int width, int height) {
    layer = Layer{};
    attribStack.clear();
    layer.width = width;
    layer.height = height;
    layer.viewport[2] = layer.scissor[2] = width;
    layer.viewport[3] = layer.scissor[3] = height;
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (largest > 0) layer.largestTexture = largest;
    return initBatch();
}

void kglFlush() { flushBatch(); }

void kglEnable(unsigned cap) { setCapability(cap, true); }
void kglDisable(unsigned cap) { setCapability(cap, false); }

void kglPushAttrib(unsigned mask) {
    if (attribStack.size() >= kAttribStackDepth) return setError(kStackOverflow);
    attribStack.push_back(Saved{mask, layer.colorBuffer, layer.current, layer.enables});
}

void kglPopAttrib() {
    if (attribStack.empty()) return setError(kStackUnderflow);
    const Saved saved = attribStack.back();
    attribStack.pop_back();
    if (saved.mask & kColorBufferBit) layer.colorBuffer = saved.colorBuffer;
    if (saved.mask & kCurrentBit) layer.current = saved.current;
    if (saved.mask & kEnableBit) {
        layer.enables = saved.enables;
        layer.colorBuffer.blend = saved.colorBuffer.blend;
    }
}

void kglBlendFunc(unsigned src, unsigned dst) {
    if (!sourceFactor(src) || !sourceFactor(dst)) return setError(GL_INVALID_ENUM);
    layer.colorBuffer.blendSrc = src;
    layer.colorBuffer.blendDst = dst;
}

void kglPolygonMode(unsigned face, unsigned mode) {
    if (face != GL_FRONT_AND_BACK && face != GL_FRONT && face != GL_BACK) return setError(GL_INVALID_ENUM);
    if (mode != kLineMode && mode != kFillMode) return;  // points are not drawn by the engine
    layer.wireframe = mode == kLineMode;
}

void kglLineWidth(float width) {
    if (width <= 0.0f) return setError(GL_INVALID_VALUE);
    layer.lineWidth = width;
}

void kglHint(unsigned, unsigned) {}

// Sphere mapping is the one generation the engine asks for.
void kglTexGeni(unsigned, unsigned name, int param) {
    if (name != kTextureGenMode || unsigned(param) != kSphereMap) setError(GL_INVALID_ENUM);
}

void kglLightfv(unsigned, unsigned, const float*) {}

void kglClear(unsigned mask) {
    flushBatch();
    glDisable(GL_BLEND);
    if (layer.enables.scissorTest) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(layer.scissor[0], layer.scissor[1], layer.scissor[2], layer.scissor[3]);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepthf(1.0f);
    glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

void kglViewport(int x, int y, int width, int height) {
    if (width < 0 || height < 0) return setError(GL_INVALID_VALUE);
    layer.viewport[0] = x;
    layer.viewport[1] = y;
    layer.viewport[2] = width;
    layer.viewport[3] = height;
}

void kglScissor(int x, int y, int width, int height) {
    if (width < 0 || height < 0) return setError(GL_INVALID_VALUE);
    layer.scissor[0] = x;
    layer.scissor[1] = y;
    layer.scissor[2] = width;
    layer.scissor[3] = height;
}

void kglGetIntegerv(unsigned name, int* params) {
    switch (name) {
    case GL_TEXTURE_BINDING_2D: *params = int(layer.boundTexture); return;
    case GL_MAX_TEXTURE_SIZE: *params = layer.largestTexture; return;
    case GL_VIEWPORT: std::copy(layer.viewport, layer.viewport + 4, params); return;
    case kBlendSrc: *params = int(layer.colorBuffer.blendSrc); return;
    case kBlendDst: *params = int(layer.colorBuffer.blendDst); return;
    case kMaxProjectionStackDepth: *params = 32; return;
    default: glGetIntegerv(name, params);
    }
}

// The layer's own errors. WebGL's would cost a round trip to the browser's
// GPU process each, and a browser that runs out of memory loses the whole
// context instead.
unsigned kglGetError() {
    const unsigned err = layer.error;
    layer.error = GL_NO_ERROR;
    return err;
}

void kglReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels) {
    flushBatch();
    glReadPixels(x, y, width, height, format, type, pixels);
}
