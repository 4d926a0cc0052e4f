// glBegin to glEnd: each vertex is transformed and given its colour and
// texture coordinate as it comes, and every full primitive goes to the
// batch at once, so matrices may change between primitives as in GL.
#include <algorithm>
#include <cmath>

#include "fixed_gl.h"
#include "fixed_state.h"

namespace kgl {

static bool inside = false;  // between glBegin and glEnd
static unsigned mode = GL_TRIANGLES;
static Vertex pending[4];    // the primitive being given
static int count = 0;

// Fixed-function colours are clamped per vertex, before they are interpolated.
static float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

// Sphere mapping, in eye space: u the unit vector to the vertex, r its
// reflection about the normal (taken as given, as GL does without
// GL_NORMALIZE), and (s, t) = r / m + 1/2 with m = 2 |r + (0, 0, 1)|.
static void sphereMap(const float eye[4], float st[2]) {
    const float* n = layer.current.normal;
    const float length = 1.0f / std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
    const float u[3] = {eye[0] * length, eye[1] * length, eye[2] * length};
    float nu = n[0] * u[0] + n[1] * u[1] + n[2] * u[2];
    nu = nu + nu;
    const float r[3] = {u[0] - nu * n[0], u[1] - nu * n[1], u[2] - nu * n[2]};
    const float q[3] = {r[0], r[1], r[2] + 1.0f};
    const float inverseM = (1.0f / std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2])) * 0.5f;
    st[0] = r[0] * inverseM + 0.5f;
    st[1] = r[1] * inverseM + 0.5f;
}

static Vertex makeVertex(float x, float y, float z) {
    Vertex v;
    const float object[4] = {x, y, z, 1.0f};
    float eye[4];
    toEye(object, eye);
    project(eye, v.clip);
    for (int i = 0; i < 4; i++) v.color[i] = clamp01(layer.current.color[i]);
    v.tex[0] = layer.current.tex[0];
    v.tex[1] = layer.current.tex[1];
    if (layer.enables.texGenS || layer.enables.texGenT) {
        float st[2];
        sphereMap(eye, st);
        if (layer.enables.texGenS) v.tex[0] = st[0];
        if (layer.enables.texGenT) v.tex[1] = st[1];
    }
    return v;
}

// A filled triangle, or its edges in the order GL's software rasteriser
// draws them: the last vertex to the first, then around.
static void triangle(const Vertex& a, const Vertex& b, const Vertex& c) {
    if (!layer.wireframe) return drawTriangle(a, b, c);
    drawLine(c, a);
    drawLine(a, b);
    drawLine(b, c);
}

// Two triangles sharing the edge from the second vertex to the last; as
// lines, only the four outer edges.
static void quad(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d) {
    if (!layer.wireframe) {
        drawTriangle(a, b, d);
        drawTriangle(b, c, d);
        return;
    }
    drawLine(d, a);
    drawLine(a, b);
    drawLine(b, c);
    drawLine(c, d);
}

static void vertex(float x, float y, float z) {
    if (!inside) return;  // outside glBegin/glEnd a vertex draws nothing
    pending[count++] = makeVertex(x, y, z);
    if (mode == GL_LINES && count == 2) {
        drawLine(pending[0], pending[1]);
        count = 0;
    } else if (mode == GL_TRIANGLES && count == 3) {
        triangle(pending[0], pending[1], pending[2]);
        count = 0;
    } else if (mode == kQuads && count == 4) {
        quad(pending[0], pending[1], pending[2], pending[3]);
        count = 0;
    }
}

}  // namespace kgl

using namespace kgl;

void kglBegin(unsigned m) {
    if (inside) return setError(GL_INVALID_OPERATION);
    if (m != GL_LINES && m != GL_TRIANGLES && m != kQuads) return setError(GL_INVALID_ENUM);
    inside = true;
    mode = m;
    count = 0;
}

// Vertices short of a whole primitive are dropped.
void kglEnd() {
    if (!inside) return setError(GL_INVALID_OPERATION);
    inside = false;
    count = 0;
}

void kglVertex2f(float x, float y) { vertex(x, y, 0.0f); }
void kglVertex3f(float x, float y, float z) { vertex(x, y, z); }

void kglColor3f(float r, float g, float b) { kglColor4f(r, g, b, 1.0f); }

void kglColor4f(float r, float g, float b, float a) {
    float* c = layer.current.color;
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
}

void kglColor4fv(const float* rgba) { kglColor4f(rgba[0], rgba[1], rgba[2], rgba[3]); }

void kglNormal3fv(const float* xyz) { kglNormal3f(xyz[0], xyz[1], xyz[2]); }

void kglNormal3f(float x, float y, float z) {
    float* n = layer.current.normal;
    n[0] = x;
    n[1] = y;
    n[2] = z;
}

void kglTexCoord2f(float s, float t) { kglTexCoord3f(s, t, 0.0f); }

void kglTexCoord3f(float s, float t, float r) {
    const float strq[4] = {s, t, r, 1.0f};
    kglTexCoord4fv(strq);
}

void kglTexCoord4fv(const float* strq) { std::copy(strq, strq + 4, layer.current.tex); }

void kglGetFloatv(unsigned name, float* params) {
    const Current& c = layer.current;
    switch (name) {
    case kCurrentColor: std::copy(c.color, c.color + 4, params); return;
    case kCurrentNormal: std::copy(c.normal, c.normal + 3, params); return;
    case kCurrentTextureCoords: std::copy(c.tex, c.tex + 4, params); return;
    default: glGetFloatv(name, params);
    }
}
