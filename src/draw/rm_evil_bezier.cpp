#include "draw/rm_evil_bezier.h"

#include <GL/gl.h>

#include <cmath>

#include "draw/bezier.h"

// The parser copies every "scene 1" statement here; the compositor draws it
// for each running list scene with scene number 1.
CBezier scene1;

static const int kCurves = 500;
static const int kPoints = 25;
static const double kPi = 3.14159265358979323846;

// Curve i starts on a circle of radius 10 in the plane x = -10; only its
// last control point swings with theta.
static void controlPoints(double a, float theta, VECTOR p[4]) {
    const float s = static_cast<float>(10.0 * std::sin(a));
    const float k = static_cast<float>(10.0 * std::cos(a));
    p[0] = {-10.0f, s, k};
    p[1] = {-5.0f, s, k};
    p[2] = {5.0f, s, k};
    p[3] = {static_cast<float>(10.0 * std::cos(0.05 * theta) + 10.0 + 5.0), s,
            static_cast<float>(k + 10.0 * std::cos(0.02 * theta))};
}

// 24 two-point strips, each shaded from the colour of its first point to
// that of its second; the one-point strips at both ends draw nothing.
static void drawCurve(double a, const VECTOR points[kPoints]) {
    const double redRing = (std::sin(a) + 1.0) * 0.5;
    const double blueRing = (std::cos(a) + 1.0) * 0.5;
    glBegin(GL_LINE_STRIP);
    for (int j = 0; j < kPoints; j++) {
        const double along = 0.5 * std::sin(j * kPi / kPoints) + 0.5;
        glColor3f(static_cast<float>(along * redRing), 0.0f, static_cast<float>(along * blueRing));
        glVertex3f(points[j].x, points[j].y, points[j].z);
        glEnd();
        glBegin(GL_LINE_STRIP);
        glVertex3f(points[j].x, points[j].y, points[j].z);
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

    VECTOR control[4];
    VECTOR points[kPoints];
    for (int i = 0; i < kCurves; i++) {
        const double a = static_cast<double>(i) / kCurves * 2.0 * kPi;
        controlPoints(a, theta, control);
        CompBez(control, kPoints, points);
        drawCurve(a, points);
        // No matrix save per curve: the turns add up along the ring.
        glRotatef(0.01f * theta, axisStart[0], axisStart[1], axisStart[2]);
    }

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glPopAttrib();
    glPopMatrix();
}
