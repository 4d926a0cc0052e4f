// Statement intake: the compositor hands the parser one group of due
// statements per frame, before it draws.
#include "script/script.h"
#include "shell/timer.h"
#include "support/draw_show.h"
#include "timeline/effect.h"

using ComposeIntakeTest = ShowTest;

static void frameAt(int32_t now) {
    timer.elapsed = now;
    effect.compose();
}

TEST_F(ComposeIntakeTest, FirstFrameParsesTheTimeZeroStatementsBeforeDrawing) {
    script.statements = {"0 track 1 scene 1 type 100 duration 1000 translate 0 0 -60",
                         "0 track 2 type 100 duration 1000", "500 track 3 type 100 duration 1000"};
    script.startTimes = {0, 0, 500};
    frameAt(0);
    EXPECT_EQ(script.nextStatement, 2);
    ASSERT_EQ(script.scenes.size(), 2u);
    EXPECT_EQ(script.scenes[0].track, 2);
    // The tube of the first statement is already in this frame.
    EXPECT_GT(litPixels(0, 0, 640, 480), 1000);
    frameAt(499);
    EXPECT_EQ(script.nextStatement, 2);
    frameAt(500);
    EXPECT_EQ(script.nextStatement, 3);
    EXPECT_EQ(script.scenes.size(), 3u);
    // Nothing left to read: further frames do not call past the end.
    frameAt(600);
    EXPECT_EQ(script.nextStatement, 3);
}

TEST_F(ComposeIntakeTest, GroupsDueTogetherAreParsedOnConsecutiveFrames) {
    script.statements = {"1000 track 1 type 100 duration 5000", "1000 track 2 type 100 duration 5000",
                         "1010 track 3 type 100 duration 5000"};
    script.startTimes = {1000, 1000, 1010};
    frameAt(1020);
    EXPECT_EQ(script.nextStatement, 2);
    EXPECT_EQ(script.scenes.size(), 2u);
    frameAt(1021);
    EXPECT_EQ(script.nextStatement, 3);
    EXPECT_EQ(script.scenes.size(), 3u);
}

TEST_F(ComposeIntakeTest, LowerTracksParsedInAnyOrderCoverHigherOnes) {
    addTexture("blue.jpg", solidTexture(0, 0, 255), 32, 32);
    addTexture("red.jpg", solidTexture(255, 0, 0), 64, 64);
    script.statements = {"0 track 1 type 1 object blue.jpg blendFunc 1 0 duration 1000",
                         "0 track 3 type 1 object red.jpg blendFunc 1 0 duration 1000"};
    script.startTimes = {0, 0};
    frameAt(0);
    ASSERT_EQ(script.scenes.size(), 2u);
    EXPECT_TRUE(colorNear(pixel(16, 16), {0, 0, 255}));
    EXPECT_TRUE(colorNear(pixel(48, 48), {255, 0, 0}));
}

TEST_F(ComposeIntakeTest, SyncStatementsShowTheirTemplatesByTurns) {
    addTexture("a.jpg", solidTexture(255, 0, 0), 64, 64);
    addTexture("b.jpg", solidTexture(0, 255, 0), 64, 64);
    script.syncLists = {{{1, 500}, {2, 500}}};
    script.statements = {"0 track 1 type 1 object a.jpg insync", "0 track 2 type 1 object b.jpg insync",
                         "1000 track 5 type 1 object a.jpg sync 0 duration 8000"};
    script.startTimes = {0, 0, 1000};
    frameAt(0);
    EXPECT_EQ(litPixels(0, 0, 640, 480), 0);
    const Rgb expected[] = {{255, 0, 0}, {255, 0, 0}, {0, 255, 0}, {255, 0, 0}, {0, 255, 0}};
    const int32_t times[] = {1000, 1499, 1500, 2000, 2730};
    for (int i = 0; i < 5; i++) {
        frameAt(times[i]);
        EXPECT_TRUE(colorNear(pixel(32, 32), expected[i])) << times[i];
    }
    frameAt(9000);
    EXPECT_EQ(litPixels(0, 0, 640, 480), 0);
    EXPECT_EQ(script.scenes.size(), 2u);
}
