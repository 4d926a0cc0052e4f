// The compositor's timeline: statement intake, erasing finished scenes,
// templates and sync scenes.
#include "draw/rm_evil_bezier.h"
#include "script/script.h"
#include "shell/timer.h"
#include "support/draw_show.h"
#include "timeline/effect.h"

using ComposeTimelineTest = ShowTest;

static const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

static void frameAt(int32_t now) {
    timer.elapsed = now;
    effect.compose();
}

TEST_F(ComposeTimelineTest, StatementsAndTimesOfUnequalLengthAreNotReadPast) {
    script.statements = {"0 track 1 type 100 duration 100", "0 track 2 type 100 duration 100"};
    script.startTimes = {0};
    script.nextStatement = 1;
    frameAt(50);
    EXPECT_EQ(script.nextStatement, 1);
    EXPECT_TRUE(script.scenes.empty());
}

TEST_F(ComposeTimelineTest, SceneEndingNowIsErasedUnseen) {
    script.scenes.push_back(imageScene(solidTexture(255, 0, 0), 64, 64, 1000));
    frameAt(999);
    EXPECT_TRUE(colorNear(pixel(32, 32), kRed));
    frameAt(1000);
    EXPECT_TRUE(colorNear(pixel(32, 32), kBlack));
    EXPECT_TRUE(script.scenes.empty());
}

TEST_F(ComposeTimelineTest, ErasingTheFirstSceneStillVisitsTheOthers) {
    const GLuint red = solidTexture(255, 0, 0);
    CScene gone = imageScene(red, 64, 64, 500);
    gone.track = 3;
    CScene alsoGone = imageScene(red, 64, 64, 500);
    alsoGone.track = 2;
    CScene stays = imageScene(solidTexture(0, 255, 0), 64, 64, 2000);
    stays.track = 1;
    script.scenes = {gone, alsoGone, stays};
    frameAt(1000);
    ASSERT_EQ(script.scenes.size(), 1u);
    EXPECT_EQ(script.scenes[0].track, 1);
    EXPECT_TRUE(colorNear(pixel(32, 32), kGreen));
}

TEST_F(ComposeTimelineTest, TemplatesAreNeverDrawnNorErased) {
    CScene templ = imageScene(solidTexture(255, 0, 0), 64, 64, 0);
    templ.insync = true;
    script.scenes.push_back(templ);
    frameAt(0);
    frameAt(5000);
    EXPECT_EQ(script.scenes.size(), 1u);
    EXPECT_EQ(litPixels(0, 0, 640, 480), 0);
}

// A template image on track, and a sync scene following list 0 from start
// to end that shows a blue image of its own until a mark restyles it.
static CScene syncScene(int32_t start, int32_t end) {
    CScene s = imageScene(solidTexture(0, 0, 255), 64, 64, end);
    s.track = 5;
    s.sync = true;
    s.syncPos = -1;
    s.syncList = 0;
    s.startTime = start;
    s.syncEndTime = end;
    return s;
}

static CScene templateOn(int32_t track, GLuint texture) {
    CScene t = imageScene(texture, 64, 64, 0);
    t.track = track;
    t.insync = true;
    return t;
}

TEST_F(ComposeTimelineTest, OneMarkSwitchesEveryMarkLengthAndKeepsThePlan) {
    script.syncLists = {{{7, 500}}};
    script.scenes = {templateOn(7, solidTexture(255, 0, 0)), syncScene(1000, 9000)};
    CScene& s = script.scenes[1];

    frameAt(1000);
    EXPECT_EQ(s.startTime, 1000);
    EXPECT_EQ(s.endTime, 1500);
    EXPECT_EQ(s.track, 7);  // took the template's look, track included
    EXPECT_TRUE(colorNear(pixel(32, 32), kRed));

    frameAt(1499);
    EXPECT_EQ(s.endTime, 1500);
    frameAt(1500);
    EXPECT_EQ(s.startTime, 1500);
    EXPECT_EQ(s.endTime, 2000);
    // A frame 30 ms late: the segment starts late but ends as planned.
    frameAt(2030);
    EXPECT_EQ(s.startTime, 2030);
    EXPECT_EQ(s.endTime, 2500);
    frameAt(2500);
    EXPECT_EQ(s.endTime, 3000);
    EXPECT_EQ(script.scenes.size(), 2u);
    // The whole life ends at its own end time; the template stays.
    frameAt(9000);
    ASSERT_EQ(script.scenes.size(), 1u);
    EXPECT_TRUE(script.scenes[0].insync);
}

TEST_F(ComposeTimelineTest, MarksTakeTurnsAndAMissingTrackOnlyAdvances) {
    script.syncLists = {{{7, 500}, {8, 500}, {9, 500}}};
    script.scenes = {templateOn(7, solidTexture(255, 0, 0)), templateOn(8, solidTexture(0, 255, 0)),
                     syncScene(0, 9000)};
    CScene& s = script.scenes[2];
    frameAt(0);
    EXPECT_TRUE(colorNear(pixel(32, 32), kRed));
    EXPECT_EQ(s.syncPos, 1);
    frameAt(500);
    EXPECT_TRUE(colorNear(pixel(32, 32), kGreen));
    EXPECT_EQ(s.endTime, 1000);
    // No scene on track 9: the look and the times stay, only the mark moves.
    frameAt(1000);
    EXPECT_TRUE(colorNear(pixel(32, 32), kGreen));
    EXPECT_EQ(s.startTime, 500);
    EXPECT_EQ(s.endTime, 1000);
    EXPECT_EQ(s.syncPos, 3);
    // Wrapped back to the first mark on the next frame.
    frameAt(1010);
    EXPECT_TRUE(colorNear(pixel(32, 32), kRed));
    EXPECT_EQ(s.syncPos, 1);
    EXPECT_EQ(s.startTime, 1010);
    EXPECT_EQ(s.endTime, 1500);
}

// A scene erased earlier in the same walk is gone from the list: the mark's
// template search passes over it to the template further down.
TEST_F(ComposeTimelineTest, SceneErasedThisFrameIsNoTemplate) {
    script.syncLists = {{{7, 500}}};
    CScene gone = imageScene(solidTexture(255, 0, 0), 64, 64, 100);
    gone.track = 7;
    script.scenes = {gone, syncScene(0, 9000), templateOn(7, solidTexture(0, 255, 0))};
    frameAt(200);
    ASSERT_EQ(script.scenes.size(), 2u);
    EXPECT_TRUE(colorNear(pixel(32, 32), kGreen));
}

TEST_F(ComposeTimelineTest, MissingOrEmptySyncListKeepsTheSceneAsItIs) {
    for (int list : {0, 1, -1, 5}) {
        script.syncLists = {{}, {}};
        script.scenes = {templateOn(7, solidTexture(255, 0, 0)), syncScene(0, 9000)};
        script.scenes[1].syncList = list;
        frameAt(0);
        frameAt(700);
        const CScene& s = script.scenes[1];
        EXPECT_EQ(s.syncPos, -1) << list;
        EXPECT_EQ(s.startTime, 0) << list;
        EXPECT_EQ(s.endTime, 9000) << list;
        EXPECT_EQ(s.track, 5) << list;
        EXPECT_TRUE(colorNear(pixel(32, 32), kBlue)) << list;
    }
}

TEST_F(ComposeTimelineTest, TubeIsDrawnOnlyWhileItsSceneRuns) {
    CScene tube = plainScene(1000);
    tube.sceneNumber = 1;
    script.scenes.push_back(tube);
    scene1.translateStart[2] = -60;
    frameAt(0);
    EXPECT_GT(litPixels(0, 0, 640, 480), 1000);
    frameAt(1000);
    EXPECT_EQ(litPixels(0, 0, 640, 480), 0);
    EXPECT_TRUE(script.scenes.empty());
}

TEST_F(ComposeTimelineTest, SceneStateIsSwitchedOffAfterEachScene) {
    CScene s = plainScene();
    s.blend = s.wireframe = s.envmap = true;
    s.type = 7;  // draws nothing, still passes through the state steps
    script.scenes.push_back(s);
    frameAt(0);
    GLint modes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
}
