// Curve evaluation and the tube drawn from scene1.
#include <cmath>

#include "draw/bezier.h"
#include "draw/rm_evil_bezier.h"
#include "support/draw_show.h"

TEST(BezierCurve, PointsOfTheCubic) {
    VECTOR p[4] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    const VECTOR mid = PBez3D(p, 0.5f);
    EXPECT_FLOAT_EQ(mid.x, 0.5f);
    EXPECT_FLOAT_EQ(mid.y, 0.75f);
    EXPECT_FLOAT_EQ(mid.z, 0.0f);
    const VECTOR quarter = PBez3D(p, 0.25f);
    // Bernstein form: 3 (1-t)^2 t p1 + 3 (1-t) t^2 p2 + t^3 p3.
    EXPECT_NEAR(quarter.x, 3 * 0.75 * 0.0625 + 0.015625, 1e-6);
    EXPECT_NEAR(quarter.y, 3 * 0.5625 * 0.25 + 3 * 0.75 * 0.0625, 1e-6);
}

TEST(BezierCurve, CompBezRunsFromFirstToLastControlPoint) {
    VECTOR p[4] = {{-10, 3, 4}, {-5, 3, 4}, {5, 3, 4}, {25, 3, 14}};
    VECTOR out[26];
    out[25] = {99, 99, 99};
    CompBez(p, 25, out);
    EXPECT_FLOAT_EQ(out[0].x, -10);
    EXPECT_FLOAT_EQ(out[0].z, 4);
    EXPECT_NEAR(out[24].x, 25, 1e-4);
    EXPECT_NEAR(out[24].y, 3, 1e-5);
    EXPECT_NEAR(out[24].z, 14, 1e-4);
    EXPECT_FLOAT_EQ(out[25].x, 99);  // nothing written past count
    // The x control values are evenly spread, so x rises along the curve.
    for (int k = 1; k < 25; k++) EXPECT_GT(out[k].x, out[k - 1].x) << k;
    const VECTOR half = PBez3D(p, 0.5f);
    EXPECT_NEAR(out[12].x, half.x, 1e-4);

    VECTOR one[1] = {{7, 7, 7}};
    CompBez(p, 1, one);
    EXPECT_FLOAT_EQ(one[0].x, -10);
    CompBez(p, 0, one);  // writes nothing, divides by nothing
    EXPECT_FLOAT_EQ(one[0].x, -10);
}

using TubeTest = ShowTest;

// The tube seen along its axis: rings of radius 10 about the view axis,
// running from 70 to 35 units away, so every curve shows.
static void placeTube(float angle) {
    scene1.endTime = 100000;
    scene1.translateStart[2] = -60;
    scene1.angleStart = angle;
    scene1.axisStart[0] = 1;
}

static void projectFrame() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.33, 1.33, -1.0, 1.0, 1.5, 10000.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLineWidth(3.0f);
}

TEST_F(TubeTest, DrawsItsRingUntexturedAndRestoresTheColour) {
    placeTube(0);
    projectFrame();
    // A black texture bound: if texturing stayed on, the lines would be black.
    glBindTexture(GL_TEXTURE_2D, solidTexture(0, 0, 0));
    glColor4f(0.2f, 0.4f, 0.6f, 1.0f);
    scene1.Bezier();
    // The near end (35 units away) is a ring of 103 pixels about (217, 240),
    // shifted by the last control point; the far end (70 away) a ring of 52
    // about the centre, seen through the near one.
    EXPECT_GT(litPixels(120, 140, 320, 340), 20000);
    EXPECT_EQ(litPixels(400, 0, 640, 480), 0);
    EXPECT_EQ(litPixels(0, 350, 640, 480), 0);
    EXPECT_EQ(litPixels(288, 235, 298, 245), 0);  // the far opening
    // Red follows sin a (up), blue cos a (left); green is never used.
    const Rgb top = pixel(217, 330), bottom = pixel(217, 150), right = pixel(350, 240);
    EXPECT_GT(top[0], top[2]);
    EXPECT_GT(bottom[2], 60);
    EXPECT_LT(bottom[0], 20);
    EXPECT_GT(right[0], 60);
    EXPECT_LT(right[2], 20);
    for (const Rgb& c : {top, bottom, right}) EXPECT_EQ(c[1], 0);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.2f);
    EXPECT_FLOAT_EQ(colour[1], 0.4f);
    EXPECT_FLOAT_EQ(colour[2], 0.6f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(TubeTest, AngleTwistsTheRing) {
    placeTube(0);
    projectFrame();
    scene1.Bezier();
    const int straight = litPixels(0, 0, 640, 480);
    // Each curve turned 0.01 * 600 = 6 degrees about x further than the last:
    // the ring is thrown about the frame.
    placeTube(600);
    projectFrame();
    scene1.Bezier();
    const int twisted = litPixels(0, 0, 640, 480);
    EXPECT_GT(straight, 1000);
    EXPECT_GT(twisted, 1000);
    EXPECT_GT(litPixels(0, 0, 640, 100) + litPixels(0, 380, 640, 480), 0);
    EXPECT_NE(straight, twisted);
}

// The tube as it was first drawn: every segment its own two-point strip in
// immediate mode, under the same matrices. The drawing must give the very
// pixels this does, whatever the driver makes of smooth wide lines.
static void referenceTube(float theta) {
    const double pi = 3.14159265358979323846;
    glPushMatrix();
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    glTranslatef(scene1.translateStart[0], scene1.translateStart[1], scene1.translateStart[2]);
    glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
    for (int i = 0; i < 500; i++) {
        const double a = static_cast<double>(i) / 500 * 2.0 * pi;
        const float s = static_cast<float>(10.0 * std::sin(a)), k = static_cast<float>(10.0 * std::cos(a));
        VECTOR p[4] = {{-10, s, k}, {-5, s, k}, {5, s, k},
                       {static_cast<float>(10.0 * std::cos(0.05 * theta) + 10.0 + 5.0), s,
                        static_cast<float>(k + 10.0 * std::cos(0.02 * theta))}};
        VECTOR points[25];
        CompBez(p, 25, points);
        glBegin(GL_LINE_STRIP);
        for (int j = 0; j < 25; j++) {
            const double along = 0.5 * std::sin(j * pi / 25) + 0.5;
            glColor3f(static_cast<float>(along * (std::sin(a) + 1.0) * 0.5), 0.0f,
                      static_cast<float>(along * (std::cos(a) + 1.0) * 0.5));
            glVertex3f(points[j].x, points[j].y, points[j].z);
            glEnd();
            glBegin(GL_LINE_STRIP);
            glVertex3f(points[j].x, points[j].y, points[j].z);
        }
        glEnd();
        glRotatef(0.01f * theta, scene1.axisStart[0], scene1.axisStart[1], scene1.axisStart[2]);
    }
    glEnable(GL_TEXTURE_2D);
    glPopAttrib();
    glPopMatrix();
}

static std::vector<uint8_t> framePixels() {
    std::vector<uint8_t> rgba(640 * 480 * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// Smooth lines as every frame draws them, blended and not, the tube seen
// end on and twisted about other axes.
TEST_F(TubeTest, SamePixelsAsTwoPointStrips) {
    const struct {
        float angle, axis[3], z;
        bool blend;
    } cases[] = {{0, {1, 0, 0}, -60, false},   {600, {1, 0, 0}, -60, true}, {217.5f, {0, 0, 1}, -42, true},
                 {900, {0, 0, 1}, -30, false}, {45, {0.3f, 1, 0.2f}, -25, true}};
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    for (const auto& c : cases) {
        SCOPED_TRACE("angle " + std::to_string(c.angle) + ", z " + std::to_string(c.z));
        placeTube(c.angle);
        scene1.translateStart[2] = c.z;
        for (int k = 0; k < 3; k++) scene1.axisStart[k] = c.axis[k];
        if (c.blend) glEnable(GL_BLEND);
        projectFrame();
        scene1.Bezier();
        const std::vector<uint8_t> drawn = framePixels();
        projectFrame();
        referenceTube(c.angle);
        const std::vector<uint8_t> reference = framePixels();
        glDisable(GL_BLEND);
        size_t lit = 0, differing = 0;
        for (size_t i = 0; i < drawn.size(); i++) {
            lit += drawn[i] != 0;
            differing += drawn[i] != reference[i];
        }
        EXPECT_GT(lit, 10000u);
        EXPECT_EQ(differing, 0u) << "bytes that differ from the two-point strips";
    }
}
