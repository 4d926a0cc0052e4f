#include <GL/gl.h>

#include "draw/camera.h"
#include "support/offscreen.h"

using CameraTest = OffscreenTest;

static void currentMatrix(float m[16]) { glGetFloatv(GL_PROJECTION_MATRIX, m); }

TEST_F(CameraTest, ResetCameraLeavesTheMatrixUnchanged) {
    camera.init();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    camera.render();
    float m[16];
    currentMatrix(m);
    for (int i = 0; i < 16; i++) EXPECT_FLOAT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
}

TEST_F(CameraTest, TranslationsSetAndAdd) {
    camera.init();
    camera.translate(1, 2, 3, false);
    camera.translate(1, 1, 1, true);
    EXPECT_EQ(camera.pos.x, 2);
    EXPECT_EQ(camera.pos.y, 3);
    EXPECT_EQ(camera.pos.z, 4);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    camera.render();
    float m[16];
    currentMatrix(m);
    EXPECT_FLOAT_EQ(m[12], -2);
    EXPECT_FLOAT_EQ(m[13], -3);
    EXPECT_FLOAT_EQ(m[14], -4);
}

TEST_F(CameraTest, RotationTurnsAboutYNegatively) {
    camera.init();
    camera.rotate(90, 0, 0, false);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    camera.render();
    float m[16];
    currentMatrix(m);
    // Rotation by -90 degrees about Y sends x to +z: column 0 is (0, 0, 1).
    EXPECT_NEAR(m[0], 0, 1e-6);
    EXPECT_NEAR(m[2], 1, 1e-6);
    camera.rotate(VECTOR{0, 0, 45}, true);
    EXPECT_EQ(camera.rot.x, 90);
    EXPECT_EQ(camera.rot.z, 45);
    camera.init();
}
