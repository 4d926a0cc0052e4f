// The projection and model-view stacks, with GL's float arithmetic, so that
// the same calls make the same matrices as the native GL.
#include <cmath>

#include "fixed_gl.h"
#include "fixed_state.h"

namespace kgl {

static const Matrix kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
static const size_t kStackDepth = 32;

static std::vector<Matrix>& stack() { return layer.matrixMode == kProjection ? layer.projection : layer.modelview; }

Matrix& topMatrix() {
    std::vector<Matrix>& s = stack();
    if (s.empty()) s.push_back(kIdentity);
    return s.back();
}

// top = top * m
static void multiply(const Matrix& m) {
    Matrix& top = topMatrix();
    const Matrix a = top;
    const float* b = m.m;
    for (int i = 0; i < 4; i++) {
        const float a0 = a.m[i], a1 = a.m[4 + i], a2 = a.m[8 + i], a3 = a.m[12 + i];
        for (int j = 0; j < 4; j++)
            top.m[j * 4 + i] = a0 * b[j * 4] + a1 * b[j * 4 + 1] + a2 * b[j * 4 + 2] + a3 * b[j * 4 + 3];
    }
}

static void apply(const Matrix& m, const float v[4], float out[4]) {
    for (int i = 0; i < 4; i++) out[i] = m.m[i] * v[0] + m.m[4 + i] * v[1] + m.m[8 + i] * v[2] + m.m[12 + i] * v[3];
}

void toEye(const float v[4], float eye[4]) {
    if (layer.modelview.empty()) layer.modelview.push_back(kIdentity);
    apply(layer.modelview.back(), v, eye);
}

void project(const float eye[4], float clip[4]) {
    if (layer.projection.empty()) layer.projection.push_back(kIdentity);
    apply(layer.projection.back(), eye, clip);
}

}  // namespace kgl

using namespace kgl;

void kglMatrixMode(unsigned mode) {
    if (mode != kProjection && mode != kModelview) return setError(GL_INVALID_ENUM);
    layer.matrixMode = mode;
}

void kglLoadIdentity() { topMatrix() = kIdentity; }

void kglPushMatrix() {
    std::vector<Matrix>& s = stack();
    if (s.size() >= kStackDepth) return setError(kStackOverflow);
    s.push_back(topMatrix());
}

void kglPopMatrix() {
    std::vector<Matrix>& s = stack();
    if (s.size() <= 1) return setError(kStackUnderflow);
    s.pop_back();
}

void kglFrustum(double left, double right, double bottom, double top, double nearVal, double farVal) {
    const float l = float(left), r = float(right), b = float(bottom), t = float(top);
    const float n = float(nearVal), f = float(farVal);
    if (n <= 0.0f || f <= 0.0f || n == f || l == r || t == b) return setError(GL_INVALID_VALUE);
    Matrix m = {};
    m.m[0] = (2.0f * n) / (r - l);
    m.m[5] = (2.0f * n) / (t - b);
    m.m[8] = (r + l) / (r - l);
    m.m[9] = (t + b) / (t - b);
    m.m[10] = -(f + n) / (f - n);
    m.m[11] = -1.0f;
    m.m[14] = -(2.0f * f * n) / (f - n);
    multiply(m);
}

void kglOrtho(double left, double right, double bottom, double top, double nearVal, double farVal) {
    const float l = float(left), r = float(right), b = float(bottom), t = float(top);
    const float n = float(nearVal), f = float(farVal);
    if (l == r || b == t || n == f) return setError(GL_INVALID_VALUE);
    Matrix m = kIdentity;
    m.m[0] = 2.0f / (r - l);
    m.m[12] = -(r + l) / (r - l);
    m.m[5] = 2.0f / (t - b);
    m.m[13] = -(t + b) / (t - b);
    m.m[10] = -2.0f / (f - n);
    m.m[14] = -(f + n) / (f - n);
    multiply(m);
}

// About a main axis GL writes the sine and cosine alone; about any other, the
// general rotation of the normalised axis.
void kglRotatef(float angle, float x, float y, float z) {
    if (angle == 0.0f) return;
    const float s = std::sin(float(angle * M_PI / 180.0));
    const float c = std::cos(float(angle * M_PI / 180.0));
    Matrix m = kIdentity;
    auto at = [&m](int row, int col) -> float& { return m.m[col * 4 + row]; };
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        at(0, 0) = c;
        at(1, 1) = c;
        at(0, 1) = z < 0.0f ? s : -s;
        at(1, 0) = z < 0.0f ? -s : s;
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        at(0, 0) = c;
        at(2, 2) = c;
        at(0, 2) = y < 0.0f ? -s : s;
        at(2, 0) = y < 0.0f ? s : -s;
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        at(1, 1) = c;
        at(2, 2) = c;
        at(1, 2) = x < 0.0f ? s : -s;
        at(2, 1) = x < 0.0f ? -s : s;
    } else {
        const float mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= 1.0e-4f) return;  // no axis: no rotation
        x /= mag;
        y /= mag;
        z /= mag;
        const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s;
        const float oneC = 1.0f - c;
        at(0, 0) = (oneC * xx) + c;
        at(0, 1) = (oneC * xy) - zs;
        at(0, 2) = (oneC * zx) + ys;
        at(1, 0) = (oneC * xy) + zs;
        at(1, 1) = (oneC * yy) + c;
        at(1, 2) = (oneC * yz) - xs;
        at(2, 0) = (oneC * zx) - ys;
        at(2, 1) = (oneC * yz) + xs;
        at(2, 2) = (oneC * zz) + c;
    }
    multiply(m);
}

void kglTranslatef(float x, float y, float z) {
    float* m = topMatrix().m;
    for (int i = 0; i < 4; i++) m[12 + i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
}

void kglScalef(float x, float y, float z) {
    float* m = topMatrix().m;
    for (int i = 0; i < 4; i++) {
        m[i] *= x;
        m[4 + i] *= y;
        m[8 + i] *= z;
    }
}
