#include "draw/bezier.h"

// Power form of the cubic: a t^3 + b t^2 + c t + p0, one coordinate at a time.
static float cubic(float p0, float p1, float p2, float p3, float t) {
    const float c = 3.0f * (p1 - p0);
    const float b = 3.0f * (p2 - p1) - c;
    const float a = p3 - p0 - c - b;
    return a * t * t * t + b * t * t + c * t + p0;
}

VECTOR PBez3D(VECTOR* p, float t) {
    return {cubic(p[0].x, p[1].x, p[2].x, p[3].x, t),
            cubic(p[0].y, p[1].y, p[2].y, p[3].y, t),
            cubic(p[0].z, p[1].z, p[2].z, p[3].z, t)};
}

// The parameter is summed step by step, as the tube has always been drawn;
// the last point is therefore P3 only up to the float error of the sum.
void CompBez(VECTOR* p, int count, VECTOR* out) {
    if (count <= 0) return;
    if (count == 1) {
        out[0] = p[0];
        return;
    }
    const float step = 1.0f / static_cast<float>(count - 1);
    float t = 0.0f;
    for (int k = 0; k < count; k++) {
        out[k] = PBez3D(p, t);
        t += step;
    }
}
