#include "draw/rm_evil_bezier.h"

#include <GL/gl.h>

#include <cmath>

#include "draw/attrib.h"
#include "draw/bezier.h"

// The parser copies every "scene 1" statement here; the compositor draws it
// for each running list scene with scene number 1.
CBezier scene1;

static const int kCurves = 500;
static const int kPoints = 25;
static const double kPi = 3.14159265358979323846;

// Shading along every curve, 0.5 sin(j pi / 25) + 0.5: the same for all
// curves, so worked out once.
struct Along {
    double v[kPoints];
    Along() {
        for (int j = 0; j < kPoints; j++) v[j] = 0.5 * std::sin(j * kPi / kPoints) + 0.5;
    }
};
static const Along kAlong;

// Curve i starts on a circle of radius 10 in the plane x = -10; only its
// last control point swings with theta, by the same amount for every curve.
static void controlPoints(double sinA, double cosA, double swingX, double swingZ, VECTOR p[4]) {
    const float s = static_cast<float>(10.0 * sinA);
    const float k = static_cast<float>(10.0 * cosA);
    p[0] = {-10.0f, s, k};
    p[1] = {-5.0f, s, k};
    p[2] = {5.0f, s, k};
    p[3] = {static_cast<float>(swingX), s, static_cast<float>(k + swingZ)};
}

// One curve as 24 separate segments in one GL_LINES primitive, point j - 1
// to point j, each shaded from the colour of its first point to that of its
// second: the lines that 24 two-point strips make. A point's colour is set
// once and holds for both segments that meet there. (Client vertex arrays
// would save calls, but with Mesa's llvmpipe every draw from them after a
// flush, and so after every buffer swap, costs more than the calls save.)
static void drawCurve(double sinA, double cosA, const VECTOR points[kPoints]) {
    const double redRing = (sinA + 1.0) * 0.5;
    const double blueRing = (cosA + 1.0) * 0.5;
    glBegin(GL_LINES);
    for (int j = 0; j < kPoints; j++) {
        glColor3f(static_cast<float>(kAlong.v[j] * redRing), 0.0f, static_cast<float>(kAlong.v[j] * blueRing));
        glVertex3f(points[j].x, points[j].y, points[j].z);  // the end of segment j - 1, or the first point
        if (j > 0 && j < kPoints - 1) glVertex3f(points[j].x, points[j].y, points[j].z);  // the start of segment j
    }
    glEnd();
}

void CBezier::Bezier() {
    timeUpdate();
    typeUpdate();
    const float theta = angleCur;

    glPushMatrix();
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    glTranslatef(translateStart[0], translateStart[1], translateStart[2]);
    glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);

    // theta is taken as radians here.
    const double swingX = 10.0 * std::cos(0.05 * theta) + 10.0 + 5.0;
    const double swingZ = 10.0 * std::cos(0.02 * theta);
    VECTOR control[4];
    VECTOR points[kPoints];
    for (int i = 0; i < kCurves; i++) {
        const double a = static_cast<double>(i) / kCurves * 2.0 * kPi;
        const double sinA = std::sin(a), cosA = std::cos(a);
        controlPoints(sinA, cosA, swingX, swingZ, control);
        CompBez(control, kPoints, points);
        drawCurve(sinA, cosA, points);
        // No matrix save per curve: the turns add up along the ring.
        glRotatef(0.01f * theta, axisStart[0], axisStart[1], axisStart[2]);
    }

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    popAttribWithCurrent();
    glPopMatrix();
}
