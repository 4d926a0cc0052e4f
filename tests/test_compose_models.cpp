// Model scenes in the frame: transform order, the state a scene switches on
// and off, and depth between models and images.
#include "script/script.h"
#include "shell/timer.h"
#include "support/draw_show.h"
#include "timeline/effect.h"

using ComposeModelTest = ShowTest;

static const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};

// At depth 3 one model unit is about 120 pixels, (0, 0) at pixel (320, 240).

TEST_F(ComposeModelTest, ModelsAreScaledThenRotatedThenMoved) {
    addModel(flatModel({{0.4f, -0.1f, 0.6f, 0.1f}}, 0, false));
    CScene s = modelScene(0, static_cast<int>(solidTexture(255, 255, 255)));
    s.translateOn = s.rotateOn = s.scaleOn = true;
    s.translateStart[2] = -3;
    s.angleStart = 90;
    s.axisStart[2] = 1;
    s.scaleStart[0] = 2;
    s.scaleStart[1] = s.scaleStart[2] = 1;
    script.scenes.push_back(s);
    effect.compose();
    // (0.5, 0) scaled to (1, 0), turned to (0, 1), moved to depth 3.
    EXPECT_TRUE(colorNear(pixel(320, 360), {255, 255, 255}));
    // Turned before scaling it would sit at (0, 0.5); scaled after moving, elsewhere.
    EXPECT_TRUE(colorNear(pixel(320, 300), kBlack));
    EXPECT_EQ(litPixels(0, 0, 640, 330), 0);
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(ComposeModelTest, ColourAndOpacityTintTheModel) {
    addModel(flatModel({{-1, -1, 1, 1}}, -3, false));
    CScene s = modelScene(0, static_cast<int>(solidTexture(255, 255, 255)));
    s.colorOn = s.opacityOn = s.blend = true;
    s.colorStart[1] = 1;
    s.opacityStart = 0.5f;
    script.scenes.push_back(s);
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(320, 240), {0, 128, 0}));
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[1], 1);
    EXPECT_FLOAT_EQ(colour[0], 1);  // white again after the scene
}

TEST_F(ComposeModelTest, WireframeIsSwitchedBackToFillForTheNextScene) {
    addModel(flatModel({{0.2f, -0.5f, 1.2f, 0.5f}}, -3, false));
    addModel(flatModel({{-1.2f, -0.5f, -0.2f, 0.5f}}, -3, false));
    CScene wire = modelScene(0);  // the last model added: the left quad
    wire.track = 2;
    wire.wireframe = true;
    CScene filled = modelScene(1);
    filled.track = 1;
    script.scenes = {wire, filled};
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(380, 240), {255, 255, 255}));  // right quad, filled
    EXPECT_TRUE(colorNear(pixel(230, 260), kBlack));           // inside the left quad's lines
    EXPECT_GT(litPixels(170, 170, 300, 310), 100);             // its edges
    EXPECT_LT(litPixels(170, 170, 300, 310), 6000);  // filled: 14,000
}

TEST_F(ComposeModelTest, EnvmapGeneratesCoordinatesOnlyForItsScene) {
    // Texels across: black, red, green, blue.
    const GLuint bands =
        makeTexture(4, 1, {0, 0, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255});
    addModel(flatModel({{0.2f, -0.5f, 1.2f, 0.5f}}, -3, true, 0.9f, 0.5f));
    addModel(flatModel({{-1.2f, -0.5f, -0.2f, 0.5f}}, -3, true, 0.9f, 0.5f));
    CScene mapped = modelScene(1, static_cast<int>(bands));  // right quad
    mapped.track = 2;
    mapped.envmap = true;
    CScene plain = modelScene(0, static_cast<int>(bands));  // left quad
    plain.track = 1;
    script.scenes = {mapped, plain};
    effect.compose();
    // Sphere mapping of a surface whose normals are its positions: right of
    // the view axis s lies a little below 0.5, the red band.
    EXPECT_TRUE(colorNear(pixel(380, 240), kRed));
    // The mapping coordinates themselves: blue. Left of the axis the sphere
    // map would give green.
    EXPECT_TRUE(colorNear(pixel(230, 240), kBlue));

    script.scenes[0].envmap = false;
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(380, 240), kBlue));
}

TEST_F(ComposeModelTest, ImagesNeitherTestNorWriteDepth) {
    addModel(flatModel({{-2, -2, 2, 2}}, -6, false));        // far, larger
    addModel(flatModel({{-0.5f, -0.5f, 0.5f, 0.5f}}, -3, false));  // near
    CScene image = imageScene(solidTexture(255, 0, 0), 640, 480);
    image.track = 3;
    CScene nearModel = modelScene(0, static_cast<int>(solidTexture(0, 255, 0)));
    nearModel.track = 2;
    CScene farModel = modelScene(1, static_cast<int>(solidTexture(0, 0, 255)));
    farModel.track = 1;
    script.scenes = {image, nearModel, farModel};
    effect.compose();
    // The image left no depth behind, and the near model still hides the far
    // one drawn after it.
    EXPECT_TRUE(colorNear(pixel(320, 240), kGreen));
    EXPECT_TRUE(colorNear(pixel(320, 340), kBlue));
    EXPECT_TRUE(colorNear(pixel(5, 5), kRed));

    // An image drawn last covers the models, blended onto them.
    CScene over = imageScene(solidTexture(255, 0, 0), 640, 480);
    script.scenes.push_back(over);
    effect.compose();
    EXPECT_TRUE(colorNear(pixel(320, 240), kYellow));
}

TEST_F(ComposeModelTest, MissingModelDrawsNothing) {
    addModel(flatModel({{-1, -1, 1, 1}}, -3, false));
    script.scenes = {modelScene(-1), modelScene(3)};
    effect.compose();
    EXPECT_EQ(litPixels(0, 0, 640, 480), 0);
    EXPECT_EQ(script.scenes.size(), 2u);
}
