// Lines as GL's software rasteriser (Mesa's llvmpipe) draws smooth ones:
// a quad in window space, half the width plus half a pixel to each side and
// half a pixel past each end, whose fragments keep their colour and take a
// coverage into their alpha. WebGL draws no line wider than a pixel, and
// this is what the native player's lines look like at any width.
#include <cmath>

#include "fixed_state.h"

namespace kgl {

// The part of a line in front of the near plane (z >= -w); false when none is.
static bool clipNear(Vertex& a, Vertex& b) {
    const float da = a.clip[2] + a.clip[3], db = b.clip[2] + b.clip[3];
    if (da < 0.0f && db < 0.0f) return false;
    if (da >= 0.0f && db >= 0.0f) return true;
    const float t = da / (da - db);
    Vertex& out = da < 0.0f ? a : b;
    const Vertex from = a, to = b;
    auto mix = [t](float p, float q) { return p + t * (q - p); };
    for (int i = 0; i < 4; i++) out.clip[i] = mix(from.clip[i], to.clip[i]);
    for (int i = 0; i < 4; i++) out.color[i] = mix(from.color[i], to.color[i]);
    for (int i = 0; i < 2; i++) out.tex[i] = mix(from.tex[i], to.tex[i]);
    return true;
}

struct Window {
    float x, y;
};

static Window toWindow(const Vertex& v) {
    const float halfW = float(layer.viewport[2]) * 0.5f, halfH = float(layer.viewport[3]) * 0.5f;
    const float invW = 1.0f / v.clip[3];
    return {v.clip[0] * invW * halfW + (float(layer.viewport[0]) + halfW),
            v.clip[1] * invW * halfH + (float(layer.viewport[1]) + halfH)};
}

// A corner of the quad: the end vertex moved to the window position at,
// back in clip space, with the coverage distances of that corner.
static BatchVertex corner(const Vertex& end, Window at, float across, float halfWidth, float along, float halfLength) {
    const float halfW = float(layer.viewport[2]) * 0.5f, halfH = float(layer.viewport[3]) * 0.5f;
    const float w = end.clip[3];
    BatchVertex v;
    v.x = (at.x - (float(layer.viewport[0]) + halfW)) / halfW * w;
    v.y = (at.y - (float(layer.viewport[1]) + halfH)) / halfH * w;
    v.z = end.clip[2];
    v.w = w;
    v.r = end.color[0];
    v.g = end.color[1];
    v.b = end.color[2];
    v.a = end.color[3];
    v.s = end.tex[0];
    v.t = end.tex[1];
    v.across = across;
    v.halfWidth = halfWidth;
    v.along = along;
    v.halfLength = halfLength;
    return v;
}

void drawLine(const Vertex& first, const Vertex& second) {
    Vertex a = first, b = second;
    if (!clipNear(a, b) || a.clip[3] <= 0.0f || b.clip[3] <= 0.0f || layer.viewport[2] < 1 || layer.viewport[3] < 1)
        return;
    const Window pa = toWindow(a), pb = toWindow(b);
    const float dx = pb.x - pa.x, dy = pb.y - pa.y;
    // The line's direction: Mesa takes the cosine and sine of its angle;
    // the same unit vector, without the three calls a line.
    const float length = std::sqrt(dx * dx + dy * dy);
    const float c = length > 0.0f ? dx / length : 1.0f, s = length > 0.0f ? dy / length : 0.0f;
    const bool smooth = layer.enables.lineSmooth;
    const float width = layer.lineWidth;
    // Lines that are not smooth: their own width and length, fully covered.
    const float w = !smooth ? 0.5f * std::fmax(width, 1.0f) : width <= 1.0f ? 1.0f : 0.5f * width + 0.5f;
    const float l = smooth ? 0.5f : 0.0f;
    float halfLength = 0.5f * length;
    // A line shorter than a pixel fades with its length instead.
    halfLength = halfLength < 0.5f ? 2.0f * halfLength : halfLength + 0.5f;
    const float hw = smooth ? w : 1.0f, hl = smooth ? halfLength : 1.0f;
    const float across = smooth ? w : 0.0f, along = smooth ? halfLength : 0.0f;
    const BatchVertex v0 = corner(a, {pa.x + (-l * c - w * s), pa.y + (-l * s + w * c)}, -across, hw, -along, hl);
    const BatchVertex v1 = corner(a, {pa.x + (-l * c - -w * s), pa.y + (-l * s + -w * c)}, across, hw, -along, hl);
    const BatchVertex v2 = corner(b, {pb.x + (l * c - w * s), pb.y + (l * s + w * c)}, -across, hw, along, hl);
    const BatchVertex v3 = corner(b, {pb.x + (l * c - -w * s), pb.y + (l * s + -w * c)}, across, hw, along, hl);
    batchQuad(v0, v1, v2, v3);
}

}  // namespace kgl
