// Inside the fixed-function layer: its state, and what its parts call of
// each other. Only src/web/gl includes this.
#pragma once

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

namespace kgl {

// GL's numbers for the fixed-function names that ES 2 does not have.
enum : unsigned {
    kQuads = 0x0007,
    kModelview = 0x1700,
    kProjection = 0x1701,
    kLineSmooth = 0x0B20,
    kLighting = 0x0B50,
    kTextureGenS = 0x0C60,
    kTextureGenT = 0x0C61,
    kTextureGenMode = 0x2500,
    kSphereMap = 0x2402,
    kCurrentBit = 0x00000001,
    kEnableBit = 0x00002000,
    kColorBufferBit = 0x00004000,
    kLineMode = 0x1B01,
    kFillMode = 0x1B02,
    kProxyTexture2D = 0x8064,
    kTextureWidthName = 0x1000,
    kTextureHeightName = 0x1001,
    kSrcAlphaSaturate = 0x0308,
    kMaxProjectionStackDepth = 0x0D38,
    kBlendSrc = 0x0BE1,
    kCurrentColor = 0x0B00,
    kCurrentNormal = 0x0B02,
    kCurrentTextureCoords = 0x0B03,
    kBlendDst = 0x0BE0,
    kStackOverflow = 0x0503,
    kStackUnderflow = 0x0504,
};

struct Matrix {
    float m[16];  // column-major, as GL keeps it
};

// One vertex as the batch sends it: clip-space position, colour, texture
// coordinate, and for smooth lines the distances that make their coverage
// (across, half width, along, half length); (0, 1, 0, 1) covers fully.
struct BatchVertex {
    float x, y, z, w;
    float r, g, b, a;
    float s, t;
    float across, halfWidth, along, halfLength;
};

// A vertex as glVertex gives it, transformed: what primitives are made of.
struct Vertex {
    float clip[4];
    float color[4];
    float tex[2];
};

// The current vertex attributes and the switches that GL's attribute stack saves.
struct Current {
    float color[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float tex[4] = {0, 0, 0, 1};
};
struct ColorBuffer {
    bool blend = false;
    unsigned blendSrc = GL_ONE;
    unsigned blendDst = GL_ZERO;
};
struct Enables {
    bool texture2D = false;
    bool depthTest = false;
    bool lineSmooth = false;
    bool texGenS = false;
    bool texGenT = false;
    bool lighting = false;
    bool scissorTest = false;
};

struct Texture {
    GLuint id = 0;       // the ES texture
    bool bound = false;  // named by glBindTexture once: only then is it a texture
    std::vector<std::pair<int, int>> levels;  // sizes of the levels given; (0, 0) where none
    bool mipmapped = true;                    // the minifying filter uses mipmaps
};

struct Layer {
    int width = 0, height = 0;  // the drawing buffer
    int viewport[4] = {0, 0, 0, 0};
    int scissor[4] = {0, 0, 0, 0};
    std::vector<Matrix> projection, modelview;  // stacks; back() is the top
    unsigned matrixMode = kModelview;
    Current current;
    ColorBuffer colorBuffer;
    Enables enables;
    bool wireframe = false;
    float lineWidth = 1.0f;
    unsigned boundTexture = 0;
    unsigned error = GL_NO_ERROR;
    int largestTexture = 2048;
    int proxyWidth = 0, proxyHeight = 0;  // the last proxy query
};

// Filled by kglInit; the whole layer reads and writes it on the one thread.
extern Layer layer;

// Records err when no error is waiting, as GL keeps the first.
void setError(unsigned err);
// The top of the current stack.
Matrix& topMatrix();
// The model-view matrix applied to v: the eye-space position.
void toEye(const float v[4], float eye[4]);
// The projection matrix applied to an eye-space position: clip space.
void project(const float eye[4], float clip[4]);
// The texture table: null for 0 and for names never generated.
Texture* findTexture(unsigned name);
// The ES texture a fragment samples now, or 0 when texturing is off: with
// GL_TEXTURE_2D disabled, or a texture that is missing or incomplete.
GLuint samplingTexture();

// Primitives made of transformed vertices, into the batch.
void drawTriangle(const Vertex& a, const Vertex& b, const Vertex& c);
void drawLine(const Vertex& a, const Vertex& b);
void batchTriangle(const BatchVertex& a, const BatchVertex& b, const BatchVertex& c);
// Triangles (c, b, a) and (d, b, c).
void batchQuad(const BatchVertex& a, const BatchVertex& b, const BatchVertex& c, const BatchVertex& d);
void flushBatch();
bool initBatch();

}  // namespace kgl
