#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "shell/timer.h"
#include "support/offscreen.h"
#include "support/scene_fields.h"
#include "timeline/scene.h"

// A record spanning [start, start + length) with everything else zero.
static CScene spanning(int start, int length) {
    CScene scene{};
    scene.startTime = start;
    scene.endTime = start + length;
    scene.duration = length;
    return scene;
}

TEST(SceneTime, PositionFallsFromOneAtStartToZeroAtEnd) {
    CScene scene = spanning(2000, 1000);
    const struct { int now; float position; } cases[] = {
        {2000, 1.0f}, {2250, 0.75f}, {2500, 0.5f}, {3000, 0.0f}, {3500, -0.5f}, {1000, 2.0f}};
    for (const auto& c : cases) {
        timer.elapsed = c.now;
        scene.timeUpdate();
        EXPECT_FLOAT_EQ(scene.position, c.position) << "at " << c.now;
    }
}

TEST(SceneTime, EmptySpanGivesTheEndValue) {
    CScene scene = spanning(1500, 0);
    scene.position = 0.7f;
    timer.elapsed = 1500;
    scene.timeUpdate();
    EXPECT_EQ(scene.position, 0.0f);
}

TEST(SceneTime, SpansBeyondThirtyTwoBitsDoNotWrap) {
    CScene scene{};
    scene.startTime = INT_MIN;
    scene.endTime = INT_MAX;
    timer.elapsed = 0;
    scene.timeUpdate();
    EXPECT_NEAR(scene.position, 0.5f, 1e-6);
}

TEST(SceneInterpolation, FloatFormRunsFromStartTowardsEnd) {
    CScene scene = spanning(2000, 1000);
    const struct { int now; float opacity; } cases[] = {{2000, 0.0f}, {2500, 0.5f}, {2999, 0.999f}};
    for (const auto& c : cases) {
        timer.elapsed = c.now;
        scene.timeUpdate();
        EXPECT_NEAR(scene.valuePosition<float>(0.0f, 1.0f), c.opacity, 1e-6) << "at " << c.now;
    }
}

TEST(SceneInterpolation, IntFormTruncatesTowardZero) {
    CScene scene{};
    scene.position = 0.25f;
    EXPECT_EQ(scene.valuePosition<int>(0, 10), 7);
    EXPECT_EQ(scene.valuePosition<int>(0, -10), -7);
    EXPECT_EQ(scene.valuePosition<int>(-10, 0), -2);
    scene.position = 1.0f;
    EXPECT_EQ(scene.valuePosition<int>(5, 9), 5);
    scene.position = 0.0f;
    EXPECT_EQ(scene.valuePosition<int>(5, 9), 9);
}

// Object a.jpg to f.jpg over one second: each picture takes over on the
// frame of its own millisecond, not one frame later.
TEST(SceneInterpolation, IntStepsLandOnTheirMillisecond) {
    CScene scene = spanning(3000, 1000);
    scene.objectStart = scene.maskStart = 1;
    scene.objectEnd = scene.maskEnd = 6;
    scene.objectAnim = scene.maskAnim = true;
    const struct { int at; int value; } cases[] = {{0, 1},   {199, 1}, {200, 2}, {399, 2}, {400, 3},
                                                   {599, 3}, {600, 4}, {800, 5}, {999, 5}};
    for (const auto& c : cases) {
        timer.elapsed = 3000 + c.at;
        scene.timeUpdate();
        scene.typeUpdate();
        EXPECT_EQ(scene.objectCur, c.value) << "at " << c.at << " ms";
        EXPECT_EQ(scene.maskCur, c.value) << "at " << c.at << " ms";
    }
}

TEST(SceneInterpolation, IntFormSaturatesInsteadOfOverflowing) {
    CScene scene{};
    scene.position = 1.0f;
    EXPECT_EQ(scene.valuePosition<int>(INT_MAX, INT_MIN), INT_MAX);
    scene.position = 0.5f;
    EXPECT_EQ(scene.valuePosition<int>(INT_MAX, INT_MIN), 0);
    scene.position = 3.0f;
    EXPECT_EQ(scene.valuePosition<int>(INT_MAX, INT_MIN), INT_MAX);
    scene.position = -3.0f;
    EXPECT_EQ(scene.valuePosition<int>(INT_MAX, INT_MIN), INT_MIN);
}

TEST(SceneUpdate, ObjectStepsThroughEveryModelBetweenStartAndEnd) {
    CScene scene = spanning(0, 1000);
    scene.objectStart = 3;
    scene.objectEnd = 7;
    scene.objectAnim = true;
    std::vector<int> seen;
    for (int now = 0; now < 1000; now += 50) {
        timer.elapsed = now;
        scene.timeUpdate();
        scene.typeUpdate();
        if (seen.empty() || seen.back() != scene.objectCur) seen.push_back(scene.objectCur);
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 4, 5, 6}));
}

TEST(SceneUpdate, TypeUpdateAnimatesByTheAnimationFlagsOnly) {
    CScene scene{};
    scene.position = 0.5f;
    scene.objectStart = 10, scene.objectEnd = 20;
    scene.maskStart = -1, scene.maskEnd = 9;
    scene.angleStart = 90, scene.angleEnd = 0;
    scene.opacityStart = 1, scene.opacityEnd = 0;
    for (int i = 0; i < 3; i++) {
        scene.axisStart[i] = float(i), scene.axisEnd[i] = float(i + 2);
        scene.colorStart[i] = 1, scene.colorEnd[i] = 0;
    }

    scene.typeUpdate();  // nothing animated: start values, on flags or not
    EXPECT_EQ(scene.objectCur, 10);
    EXPECT_EQ(scene.maskCur, -1);
    EXPECT_FLOAT_EQ(scene.angleCur, 90);
    EXPECT_FLOAT_EQ(scene.axisCur[2], 2);
    EXPECT_FLOAT_EQ(scene.opacityCur, 1);
    EXPECT_FLOAT_EQ(scene.colorCur[1], 1);

    scene.objectAnim = scene.maskAnim = scene.angleAnim = scene.axisAnim = true;
    scene.opacityAnim = scene.colorAnim = true;
    scene.typeUpdate();
    EXPECT_EQ(scene.objectCur, 15);
    EXPECT_EQ(scene.maskCur, 4);
    EXPECT_FLOAT_EQ(scene.angleCur, 45);
    for (int i = 0; i < 3; i++) EXPECT_FLOAT_EQ(scene.axisCur[i], float(i + 1));
    EXPECT_FLOAT_EQ(scene.opacityCur, 0.5f);
    for (int i = 0; i < 3; i++) EXPECT_FLOAT_EQ(scene.colorCur[i], 0.5f);
}

TEST(SceneUpdate, ImageUpdateMovesAndScalesButLeavesOpacity) {
    CScene scene{};
    scene.position = 0.25f;
    scene.opacityCur = 0.3f;
    scene.moveStart[0] = 100, scene.moveEnd[0] = 200;
    scene.moveStart[1] = 40, scene.moveEnd[1] = 0;
    scene.scaleStart[0] = scene.scaleStart[1] = scene.scaleStart[2] = 2;
    scene.moveAnim = true;
    scene.imgUpdate();
    EXPECT_FLOAT_EQ(scene.moveCur[0], 175);
    EXPECT_FLOAT_EQ(scene.moveCur[1], 10);
    EXPECT_FLOAT_EQ(scene.scaleCur[1], 2);
    EXPECT_FLOAT_EQ(scene.opacityCur, 0.3f);
}

TEST(SceneRunning, PlainSceneRunsUntilItsEndExclusive) {
    CScene scene = spanning(2000, 1000);
    const struct { int now; bool running; } cases[] = {{2000, true}, {2999, true}, {3000, false}, {3001, false}};
    for (const auto& c : cases) {
        timer.elapsed = c.now;
        EXPECT_EQ(scene.isRunning(), c.running) << "at " << c.now;
    }
}

TEST(SceneRunning, TemplateNeverRuns) {
    CScene scene = spanning(0, 100000);
    scene.insync = true;
    for (int now : {-1, 0, 1, 50000}) {
        timer.elapsed = now;
        EXPECT_FALSE(scene.isRunning()) << "at " << now;
    }
}

TEST(SceneRunning, SyncSceneRunsUntilSyncEndEvenAfterItsSpan) {
    CScene scene = spanning(1000, 500);
    scene.sync = true;
    scene.insync = true;  // sync wins
    scene.syncEndTime = 9000;
    const struct { int now; bool running; } cases[] = {{1499, true}, {1500, true}, {8999, true}, {9000, false}, {9001, false}};
    for (const auto& c : cases) {
        timer.elapsed = c.now;
        EXPECT_EQ(scene.isRunning(), c.running) << "at " << c.now;
    }
}

// Every field byte set to pattern; flags, which must hold 0 or 1, set to flag.
static void fill(CScene& scene, unsigned char pattern, bool flag) {
    auto* bytes = reinterpret_cast<unsigned char*>(&scene);
    for (const Field& f : sceneFields()) std::memset(bytes + f.offset, f.isBool ? flag : pattern, f.size);
}

TEST(SceneCopy, FieldListCoversTheRecord) {
    size_t covered = 0;
    for (const Field& f : sceneFields()) covered += f.size;
    // Only the alignment gap after the 22 flags is not a field.
    EXPECT_EQ(covered, sizeof(CScene) - 2);
}

TEST(SceneCopy, KeepsSyncStateImageSizeAndCurrentValuesTakesTheRest) {
    const std::vector<std::string> kept = {
        "sync", "insync", "syncEndTime", "syncList", "syncPos", "syncNextTime", "imageWidth", "imageHeight",
        "position", "objectCur", "maskCur", "opacityCur", "angleCur", "colorCur", "axisCur", "scaleCur",
        "translateCur", "moveCur"};
    CScene target, other;
    fill(target, 0xA5, false);
    fill(other, 0x5A, true);
    const CScene before = target;
    target.copy(other);

    const auto* now = reinterpret_cast<const unsigned char*>(&target);
    const auto* own = reinterpret_cast<const unsigned char*>(&before);
    const auto* theirs = reinterpret_cast<const unsigned char*>(&other);
    for (const Field& f : sceneFields()) {
        const bool keep = std::find(kept.begin(), kept.end(), f.name) != kept.end();
        const unsigned char* expected = keep ? own : theirs;
        EXPECT_EQ(std::memcmp(now + f.offset, expected + f.offset, f.size), 0)
            << f.name << (keep ? " should be kept" : " should be taken");
    }
}

using SceneGlTest = OffscreenTest;

static void currentColor(float rgba[4]) { glGetFloatv(GL_CURRENT_COLOR, rgba); }

static void expectColor(float r, float g, float b, float a) {
    float c[4];
    currentColor(c);
    EXPECT_FLOAT_EQ(c[0], r);
    EXPECT_FLOAT_EQ(c[1], g);
    EXPECT_FLOAT_EQ(c[2], b);
    EXPECT_FLOAT_EQ(c[3], a);
}

TEST_F(SceneGlTest, ModelColourFollowsColourAndOpacityFlags) {
    CScene scene{};
    scene.opacityCur = 0.4f;
    scene.colorCur[0] = 0.25f, scene.colorCur[1] = 0.5f, scene.colorCur[2] = 0.75f;

    glColor4f(0.1f, 0.2f, 0.3f, 0.6f);
    scene.objUpdate();  // neither colour nor opacity: no colour call
    expectColor(0.1f, 0.2f, 0.3f, 0.6f);
    EXPECT_EQ(scene.opacityCur, 1.0f);

    scene.colorOn = true;
    scene.objUpdate();  // colour without opacity: alpha 1
    expectColor(0.25f, 0.5f, 0.75f, 1.0f);

    scene.colorOn = false;
    scene.opacityOn = true;
    scene.opacityCur = 0.4f;
    scene.objUpdate();
    expectColor(1, 1, 1, 0.4f);

    scene.colorOn = true;
    scene.objUpdate();
    expectColor(0.25f, 0.5f, 0.75f, 0.4f);
}

TEST_F(SceneGlTest, ModelTransformIsTranslateRotateScale) {
    CScene scene{};
    scene.position = 0.5f;
    scene.translateOn = scene.rotateOn = scene.scaleOn = true;
    scene.translateAnim = true;
    const float translateStart[3] = {0, 4, 6}, translateEnd[3] = {2, 0, 0}, scale[3] = {2, 3, 4};
    for (int i = 0; i < 3; i++) {
        scene.translateStart[i] = translateStart[i];
        scene.translateEnd[i] = translateEnd[i];
        scene.scaleStart[i] = scale[i];
    }
    scene.angleCur = 90;
    scene.axisCur[2] = 1;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    scene.objUpdate();
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    // Columns: x scaled by 2 then turned onto y, y scaled by 3 turned onto -x,
    // z scaled by 4, then moved by (1, 2, 3).
    const float expected[16] = {0, 2, 0, 0, -3, 0, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1};
    for (int i = 0; i < 16; i++) EXPECT_NEAR(m[i], expected[i], 1e-5) << i;
}

TEST_F(SceneGlTest, ModelWithoutTransformFlagsLeavesTheMatrix) {
    CScene scene{};
    scene.translateCur[0] = 5;
    scene.scaleStart[0] = 3;
    scene.angleCur = 30;
    scene.axisCur[0] = 1;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    scene.objUpdate();
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    for (int i = 0; i < 16; i++) EXPECT_FLOAT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
}
