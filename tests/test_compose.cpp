// Image scenes and drawing order, composed offscreen and read back.
#include "script/script.h"
#include "shell/timer.h"
#include "support/draw_show.h"
#include "timeline/effect.h"

using ComposeImageTest = ShowTest;

static const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255},
    kYellow{255, 255, 0};

TEST_F(ComposeImageTest, CentredImageSitsInTheMiddleAndMoveWins) {
    CScene s = imageScene(solidTexture(255, 255, 255), 255, 101);
    s.center = true;
    script.scenes.push_back(s);
    effect.compose();
    // 640 - (320 + 127) = 193, 480 - (240 + 50) = 190, and 255 x 101 from there.
    EXPECT_TRUE(colorNear(pixel(193, 190), kWhite));
    EXPECT_TRUE(colorNear(pixel(447, 290), kWhite));
    EXPECT_TRUE(colorNear(pixel(192, 190), kBlack));
    EXPECT_TRUE(colorNear(pixel(193, 189), kBlack));
    EXPECT_TRUE(colorNear(pixel(448, 290), kBlack));
    EXPECT_TRUE(colorNear(pixel(447, 291), kBlack));

    script.scenes[0].moveOn = true;
    script.scenes[0].moveStart[0] = 10;
    script.scenes[0].moveStart[1] = 20;
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(10, 20), kWhite));
    EXPECT_TRUE(colorNear(pixel(264, 120), kWhite));
    EXPECT_TRUE(colorNear(pixel(9, 20), kBlack));
    EXPECT_TRUE(colorNear(pixel(300, 200), kBlack));
}

TEST_F(ComposeImageTest, ScaleGrowsAboutTheImageCentre) {
    CScene s = imageScene(solidTexture(255, 255, 255), 100, 50);
    s.scaleOn = true;
    s.scaleStart[0] = 2;
    s.scaleStart[1] = 2;
    s.scaleStart[2] = 1;
    script.scenes.push_back(s);
    effect.compose();
    // Unplaced: from (-50, -25), 200 x 100.
    EXPECT_TRUE(colorNear(pixel(0, 0), kWhite));
    EXPECT_TRUE(colorNear(pixel(149, 74), kWhite));
    EXPECT_TRUE(colorNear(pixel(150, 74), kBlack));
    EXPECT_TRUE(colorNear(pixel(149, 75), kBlack));

    // Centred at (270, 215): grown to (220, 190) .. (420, 290).
    script.scenes[0].center = true;
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(220, 190), kWhite));
    EXPECT_TRUE(colorNear(pixel(419, 289), kWhite));
    EXPECT_TRUE(colorNear(pixel(219, 190), kBlack));
    EXPECT_TRUE(colorNear(pixel(420, 289), kBlack));
    EXPECT_TRUE(colorNear(pixel(300, 189), kBlack));
}

TEST_F(ComposeImageTest, MaskIsDrawnUnderTheImage) {
    CScene s = imageScene(solidTexture(0, 255, 0), 64, 64);
    s.maskOn = true;
    s.maskStart = static_cast<int32_t>(solidTexture(255, 0, 0));
    script.scenes.push_back(s);
    effect.compose();
    // Additive by default: mask and image add up.
    EXPECT_TRUE(colorNear(pixel(32, 32), kYellow));

    // Replacing blend: the last quad drawn, the image, is what shows.
    script.scenes[0].blendSrc = GL_ONE;
    script.scenes[0].blendDst = GL_ZERO;
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(32, 32), kGreen));
}

TEST_F(ComposeImageTest, OpacityFadesAcrossTheSpan) {
    CScene s = imageScene(solidTexture(255, 255, 255), 64, 64, 1000);
    s.opacityOn = true;
    s.opacityAnim = true;
    s.opacityStart = 0;
    s.opacityEnd = 1;
    script.scenes.push_back(s);
    timer.elapsed = 0;
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(32, 32), kBlack));
    timer.elapsed = 500;
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(32, 32), {128, 128, 128}));
    timer.elapsed = 999;
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(32, 32), kWhite));

    // Colour takes the opacity as its alpha.
    script.scenes[0].colorOn = true;
    script.scenes[0].colorStart[0] = 1;
    timer.elapsed = 500;
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(32, 32), {128, 0, 0}));
}

TEST_F(ComposeImageTest, PlainImageIsWhiteAndStillAdditive) {
    // Track 2 in red tint first; its colour must not leak into the next scene.
    CScene tinted = imageScene(solidTexture(255, 255, 255), 64, 64);
    tinted.track = 2;
    tinted.colorOn = true;
    tinted.opacityStart = 1;
    tinted.colorStart[0] = 1;
    CScene plain = imageScene(solidTexture(0, 255, 0), 64, 64);
    plain.track = 1;
    script.scenes = {tinted, plain};
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(32, 32), kYellow));
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1);
    EXPECT_FLOAT_EQ(colour[1], 1);
    EXPECT_FLOAT_EQ(colour[2], 1);
}

TEST_F(ComposeImageTest, TextureRowZeroIsTheTopOfTheQuad) {
    // Row 0 red, row 1 blue.
    const GLuint id = makeTexture(1, 2, {255, 0, 0, 255, 0, 0, 255, 255});
    script.scenes.push_back(imageScene(id, 100, 100));
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(50, 90), kRed));
    EXPECT_TRUE(colorNear(pixel(50, 10), kBlue));
}

TEST_F(ComposeImageTest, MissingImageUsesTheBoundTextureAndItsOwnSize) {
    CScene red = imageScene(solidTexture(255, 0, 0), 10, 10);
    red.track = 2;
    // What the parser makes of an unknown image name: -1 everywhere.
    CScene missing = imageScene(0, -1, -1);
    missing.objectStart = -1;
    missing.center = true;
    missing.track = 1;
    script.scenes = {red, missing};
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(5, 5), kRed));
    // Centred at 640 - (320 + 0) = 320 with width -1: the one pixel (319, 239).
    EXPECT_TRUE(colorNear(pixel(319, 239), kRed));
    EXPECT_TRUE(colorNear(pixel(321, 241), kBlack));
    EXPECT_TRUE(colorNear(pixel(317, 237), kBlack));
}

// Object and mask are GL names as numbers, and an animation passes through
// every name between its ends: those that are no texture draw the quad plain,
// as an empty texture would, and GL is not made to create one for each.
TEST_F(ComposeImageTest, NamesThatAreNoTextureDrawPlainAndCreateNone) {
    const GLuint red = solidTexture(255, 0, 0);
    CScene s = imageScene(red, 64, 64);
    s.objectStart = 123456;
    s.maskOn = true;
    s.maskStart = 654321;
    script.scenes.push_back(s);
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(32, 32), kWhite));
    EXPECT_FALSE(glIsTexture(123456));
    EXPECT_FALSE(glIsTexture(654321));
    // A loaded texture under a mask that is none still shows.
    script.scenes[0].objectStart = static_cast<int32_t>(red);
    script.scenes[0].blendDst = GL_ZERO;
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(32, 32), kRed));
    EXPECT_FALSE(glIsTexture(654321));
}

TEST_F(ComposeImageTest, LaterScenesCoverEarlierOnes) {
    CScene high = imageScene(solidTexture(255, 0, 0), 64, 64);
    high.track = 3;
    CScene low = imageScene(solidTexture(0, 0, 255), 32, 32);
    low.track = 1;
    for (CScene* s : {&high, &low}) {
        s->blendSrc = GL_ONE;
        s->blendDst = GL_ZERO;
    }
    script.scenes = {high, low};
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(16, 16), kBlue));
    EXPECT_TRUE(colorNear(pixel(48, 48), kRed));
}

TEST_F(ComposeImageTest, RotatedImageTurnsAboutTheScreenCentre) {
    CScene s = imageScene(solidTexture(255, 255, 255), 100, 20);
    s.moveOn = true;
    s.moveStart[0] = 320;
    s.moveStart[1] = 230;
    s.rotateOn = true;
    s.angleStart = 90;
    s.axisStart[2] = 1;
    script.scenes.push_back(s);
    effect.compose();
    // Unturned it would cover (400, 240); turned a quarter it stands upwards of
    // the centre, 100 pixels of x becoming 100 / 640 * 480 = 75 of y.
    EXPECT_TRUE(colorNear(pixel(400, 240), kBlack));
    EXPECT_TRUE(colorNear(pixel(325, 300), kWhite));
    EXPECT_TRUE(colorNear(pixel(325, 330), kBlack));
}

TEST_F(ComposeImageTest, ImagePassLeavesTheFrameStateAsItFoundIt) {
    script.scenes.push_back(imageScene(solidTexture(255, 255, 255), 64, 64));
    int projectionDepth = 0, modelviewDepth = 0;
    effect.compose();
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelviewDepth);
    EXPECT_EQ(projectionDepth, 1);
    EXPECT_EQ(modelviewDepth, 1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    // The frame projection: glFrustum(-1.33, 1.33, -1, 1, 1.5, 10000).
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[0], 1.5 / 1.33, 1e-5);
    EXPECT_NEAR(m[5], 1.5, 1e-5);
    EXPECT_NEAR(m[11], -1, 1e-6);
}
