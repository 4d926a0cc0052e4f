// Triangles wait in one buffer while the GL state they are drawn with stays
// the same, and go to ES in one draw when it changes: a frame of the tube's
// 500 curves is a single draw. One small shader does what the fixed
// function does for the engine: modulate the colour by the texture, and
// scale the alpha by a smooth line's coverage.
#include <cstddef>  // Required for: offsetof
#include <cstring>

#include "fixed_state.h"

namespace kgl {

static const char* const kVertexShader = R"(
attribute vec4 position;
attribute vec4 color;
attribute vec2 texcoord;
attribute vec4 coverage;
varying vec4 vColor;
varying vec2 vTexcoord;
varying vec4 vCoverage;
void main() {
    gl_Position = position;
    vColor = color;
    vTexcoord = texcoord;
    vCoverage = coverage;
}
)";

// Two programs of one source: with and without the texture, as a shader
// that only branches on a uniform still costs the sampling on a software
// rasteriser.
static const char* const kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D image;
varying vec4 vColor;
varying vec2 vTexcoord;
varying vec4 vCoverage;
void main() {
    vec4 c = vColor;
#ifdef TEXTURED
    c *= texture2D(image, vTexcoord);
#endif
    c.a *= clamp(vCoverage.y - abs(vCoverage.x), 0.0, 1.0) * clamp(vCoverage.w - abs(vCoverage.z), 0.0, 1.0);
    gl_FragColor = c;
}
)";

// The state a batch is drawn with.
struct DrawState {
    GLuint texture = 0;  // 0: untextured
    bool blend = false;
    unsigned blendSrc = GL_ONE, blendDst = GL_ZERO;
    bool depthTest = false;
    int viewport[4] = {0, 0, 0, 0};
    bool scissorTest = false;
    int scissor[4] = {0, 0, 0, 0};

    bool operator==(const DrawState& o) const {
        return texture == o.texture && blend == o.blend && (!blend || (blendSrc == o.blendSrc && blendDst == o.blendDst)) &&
               depthTest == o.depthTest && std::memcmp(viewport, o.viewport, sizeof viewport) == 0 &&
               scissorTest == o.scissorTest && (!scissorTest || std::memcmp(scissor, o.scissor, sizeof scissor) == 0);
    }
};

// Indices are 16 bits, as WebGL 1 takes them.
static const size_t kBatchVertices = 65536;

static GLuint plainProgram = 0, texturedProgram = 0, buffer = 0, indexBuffer = 0;
static std::vector<BatchVertex> batch;
static std::vector<GLushort> indices;
static DrawState batchState;

static DrawState currentState() {
    DrawState d;
    d.texture = samplingTexture();
    d.blend = layer.colorBuffer.blend;
    d.blendSrc = layer.colorBuffer.blendSrc;
    d.blendDst = layer.colorBuffer.blendDst;
    d.depthTest = layer.enables.depthTest;
    std::memcpy(d.viewport, layer.viewport, sizeof d.viewport);
    d.scissorTest = layer.enables.scissorTest;
    std::memcpy(d.scissor, layer.scissor, sizeof d.scissor);
    return d;
}

static void applyState(const DrawState& d) {
    glViewport(d.viewport[0], d.viewport[1], d.viewport[2], d.viewport[3]);
    if (d.scissorTest) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(d.scissor[0], d.scissor[1], d.scissor[2], d.scissor[3]);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
    if (d.blend) {
        glEnable(GL_BLEND);
        glBlendFunc(d.blendSrc, d.blendDst);
    } else {
        glDisable(GL_BLEND);
    }
    if (d.depthTest)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, d.texture);
    glUseProgram(d.texture ? texturedProgram : plainProgram);
}

void flushBatch() {
    if (batch.empty() || !plainProgram) return;
    applyState(batchState);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(batch.size() * sizeof(BatchVertex)), batch.data(), GL_STREAM_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(GLushort)), indices.data(),
                 GL_STREAM_DRAW);
    glDrawElements(GL_TRIANGLES, GLsizei(indices.size()), GL_UNSIGNED_SHORT, nullptr);
    batch.clear();
    indices.clear();
}

// Room for count more vertices drawn with the state now; the index of the first.
static GLushort reserve(size_t count) {
    const DrawState d = currentState();
    if (!batch.empty() && (!(d == batchState) || batch.size() + count > kBatchVertices)) flushBatch();
    if (batch.empty()) batchState = d;
    return GLushort(batch.size());
}

void batchTriangle(const BatchVertex& a, const BatchVertex& b, const BatchVertex& c) {
    const GLushort first = reserve(3);
    batch.push_back(a);
    batch.push_back(b);
    batch.push_back(c);
    indices.insert(indices.end(), {first, GLushort(first + 1), GLushort(first + 2)});
}

void batchQuad(const BatchVertex& a, const BatchVertex& b, const BatchVertex& c, const BatchVertex& d) {
    const GLushort first = reserve(4);
    batch.insert(batch.end(), {a, b, c, d});
    // (c, b, a) and (d, b, c): the diagonal from the second corner to the third.
    indices.insert(indices.end(), {GLushort(first + 2), GLushort(first + 1), first, GLushort(first + 3),
                                   GLushort(first + 1), GLushort(first + 2)});
}

void drawTriangle(const Vertex& a, const Vertex& b, const Vertex& c) {
    auto covered = [](const Vertex& v) {
        return BatchVertex{v.clip[0],  v.clip[1],  v.clip[2], v.clip[3], v.color[0], v.color[1], v.color[2],
                           v.color[3], v.tex[0], v.tex[1], 0.0f,      1.0f,      0.0f,       1.0f};
    };
    batchTriangle(covered(a), covered(b), covered(c));
}

static GLuint compile(GLenum type, const char* prefix, const char* source) {
    const GLuint shader = glCreateShader(type);
    const char* const parts[2] = {prefix, source};
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    return ok ? shader : 0;
}

static GLuint link(const char* prefix) {
    const GLuint vertex = compile(GL_VERTEX_SHADER, "", kVertexShader);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, prefix, kFragmentShader);
    if (!vertex || !fragment) return 0;
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    const char* const attributes[4] = {"position", "color", "texcoord", "coverage"};
    for (GLuint i = 0; i < 4; i++) glBindAttribLocation(program, i, attributes[i]);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) return 0;
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "image"), 0);
    return program;
}

bool initBatch() {
    plainProgram = link("");
    texturedProgram = link("#define TEXTURED\n");
    if (!plainProgram || !texturedProgram) return false;
    glGenBuffers(1, &buffer);
    glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    const GLsizei stride = sizeof(BatchVertex);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, x)));
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, r)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, s)));
    glVertexAttribPointer(3, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, across)));
    for (GLuint i = 0; i < 4; i++) glEnableVertexAttribArray(i);
    glActiveTexture(GL_TEXTURE0);
    glDepthFunc(GL_LESS);
    batch.reserve(kBatchVertices);
    indices.reserve(kBatchVertices / 4 * 6);
    return true;
}

}  // namespace kgl
