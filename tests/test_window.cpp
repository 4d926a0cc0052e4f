// Start-up of the shell in this process: the window, the fixed GL state, the clock.
#include <GL/gl.h>
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include "shell/init.h"
#include "shell/light.h"
#include "shell/timer.h"
#include "support/player.h"

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_DISPLAY();
        einit.defaults();
        einit.windowed = true;
        einit.window();
        ASSERT_NE(einit.screen, nullptr) << SDL_GetError();
        einit.opengl();
    }
    void TearDown() override { SDL_Quit(); }
};

TEST_F(WindowTest, WindowedModeKeepsTheOtherVideoFlags) {
    EXPECT_EQ(einit.videoFlags, 0x7u);
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title, "Korvane");
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(einit.screen->w, 640);
    EXPECT_EQ(einit.screen->h, 480);
}

TEST_F(WindowTest, FixedGlStateAfterStartUp) {
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    GLint mode = 0;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
    float ambient[4], diffuse[4], specular[4];
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glGetLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    const float expectAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    for (int i = 0; i < 4; i++) {
        EXPECT_FLOAT_EQ(ambient[i], expectAmbient[i]);
        EXPECT_FLOAT_EQ(diffuse[i], 1.0f);
        EXPECT_FLOAT_EQ(specular[i], 1.0f);  // GL's default for light 0
    }
    EXPECT_EQ(light.params[3], static_cast<uint32_t>(GL_SHININESS));
}

TEST_F(WindowTest, LightsWithoutSlotsOrWithMaterialSlotsAreStillEnabled) {
    light.initLight(2);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT2));
    while (glGetError() != GL_NO_ERROR) {
    }
    light.setLight(3, 3, 1, 2, 3, 4);  // shininess is a material parameter
    light.initLight(3);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT3));
    light.unsetLight(3, 3);
    EXPECT_EQ(light.isSet[3][3], 0);
    light.deinitLight(3);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT3));
}

TEST_F(WindowTest, ClockStartsAtZeroAndKeepsPaceWithTheWallClock) {
    timer.elapsed = 0;
    SDL_Delay(300);  // a slow start-up does not count
    timer.init();
    EXPECT_EQ(timer.elapsed, 0);
    SDL_Delay(200);  // a slow frame
    timer.getTime();
    EXPECT_GE(timer.elapsed, 201);
    EXPECT_LT(timer.elapsed, 2000);
    const int32_t before = timer.elapsed;
    timer.getTime();
    EXPECT_GE(timer.elapsed, before + 1);  // every update sleeps at least 1 ms
}
