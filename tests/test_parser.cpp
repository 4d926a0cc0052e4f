#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "draw/rm_evil_bezier.h"
#include "script/script.h"
#include "shell/timer.h"
#include "support/scene_tables.h"

// Drives the parser over a timeline written straight into the script.
class ParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        script.statements.clear();
        script.startTimes.clear();
        script.scenes.clear();
        script.nextStatement = 0;
        std::memset(static_cast<CScene*>(&scene1), 0, sizeof(CScene));
    }
    void TearDown() override { SetUp(); }

    void add(int time, const std::string& text) {
        script.startTimes.push_back(time);
        script.statements.push_back(text);
    }
    // Parses one call over a one-statement timeline and returns its record.
    CScene only(const std::string& text) {
        add(std::stoi(text), text);
        script.parse();
        EXPECT_EQ(script.scenes.size(), 1u);
        return script.scenes.empty() ? CScene{} : script.scenes.front();
    }
    std::vector<int> tracks() const {
        std::vector<int> result;
        for (const CScene& s : script.scenes) result.push_back(s.track);
        return result;
    }
};

// Tests that resolve image and model names against hand-filled tables.
class ParserNameTest : public ParserTest {
protected:
    void SetUp() override {
        ParserTest::SetUp();
        if (!assetLookupsReady()) GTEST_SKIP() << "texture and model name lookups are not in this build";
        tables.addTexture("sky.jpg", 5, 320, 200);
        tables.addTexture("a.jpg", 7, 64, 32);
        tables.addTexture("b.jpg", 9, 64, 32);
        tables.addTexture("UP.JPG", 11, 16, 8);
        tables.addModel("ship.3ds");
        tables.addModel("rock.3ds");
        tables.addModel("BIG.3DS");
    }
    AssetTables tables;
};

TEST_F(ParserNameTest, FadingSkyImage) {
    const CScene s = only("2000 track 2 type 1 object sky.jpg center opacity 0 to 1 duration 3000 blend");
    EXPECT_EQ(s.startTime, 2000);
    EXPECT_EQ(s.endTime, 5000);
    EXPECT_EQ(s.duration, 3000);
    EXPECT_EQ(s.track, 2);
    EXPECT_EQ(s.type, 1);
    EXPECT_EQ(s.objectStart, 5);
    EXPECT_FALSE(s.objectAnim);
    EXPECT_EQ(s.imageWidth, 320);
    EXPECT_EQ(s.imageHeight, 200);
    EXPECT_TRUE(s.center);
    EXPECT_TRUE(s.opacityOn);
    EXPECT_TRUE(s.opacityAnim);
    EXPECT_EQ(s.opacityStart, 0.0f);
    EXPECT_EQ(s.opacityEnd, 1.0f);
    EXPECT_TRUE(s.blend);
    EXPECT_EQ(s.blendSrc, 770);
    EXPECT_EQ(s.blendDst, 1);
    EXPECT_EQ(s.sceneNumber, 0);

    CScene copy = s;
    timer.elapsed = 4999;
    EXPECT_TRUE(copy.isRunning());
    timer.elapsed = 5000;
    EXPECT_FALSE(copy.isRunning());
}

TEST_F(ParserNameTest, SyncSceneAndItsTemplates) {
    add(0, "0 track 1 type 1 object a.jpg insync");
    add(0, "0 track 2 type 1 object b.jpg insync");
    add(1000, "1000 track 5 type 1 object a.jpg sync 0 duration 8000");

    script.parse();
    ASSERT_EQ(tracks(), (std::vector<int>{2, 1}));
    for (const CScene& t : script.scenes) {
        EXPECT_TRUE(t.insync);
        EXPECT_FALSE(t.sync);
        EXPECT_EQ(t.endTime, 0);
        timer.elapsed = 100000;
        EXPECT_FALSE(CScene(t).isRunning());
    }
    EXPECT_EQ(script.scenes[0].objectStart, 9);
    EXPECT_EQ(script.scenes[1].objectStart, 7);

    script.parse();
    ASSERT_EQ(tracks(), (std::vector<int>{5, 2, 1}));
    CScene s = script.scenes[0];
    EXPECT_TRUE(s.sync);
    EXPECT_FALSE(s.insync);
    EXPECT_EQ(s.syncList, 0);
    EXPECT_EQ(s.syncPos, -1);
    EXPECT_EQ(s.startTime, 1000);
    EXPECT_EQ(s.syncEndTime, 9000);
    EXPECT_EQ(s.imageWidth, 64);

    // Taking template b's look keeps the scene's own sync state and size.
    s.copy(script.scenes[1]);
    EXPECT_EQ(s.objectStart, 9);
    EXPECT_EQ(s.track, 2);
    EXPECT_TRUE(s.sync);
    EXPECT_FALSE(s.insync);
    EXPECT_EQ(s.syncEndTime, 9000);
}

TEST_F(ParserNameTest, ImageModelAndNumberNames) {
    add(0, "0 object UP.JPG");
    add(0, "0 object rock.3ds");
    add(0, "0 object BIG.3DS");
    add(0, "0 object 1234");
    add(0, "0 object 7");
    add(0, "0 object 12.png");
    script.parse();
    ASSERT_EQ(script.scenes.size(), 6u);
    EXPECT_EQ(script.scenes[0].objectStart, 11);
    EXPECT_EQ(script.scenes[0].imageWidth, 16);
    EXPECT_EQ(script.scenes[0].imageHeight, 8);
    EXPECT_EQ(script.scenes[1].objectStart, 1);  // counted from the newest model
    EXPECT_EQ(script.scenes[2].objectStart, 0);
    EXPECT_EQ(script.scenes[3].objectStart, 1234);
    EXPECT_EQ(script.scenes[4].objectStart, 7);
    EXPECT_EQ(script.scenes[5].objectStart, 12);
    for (const CScene& s : script.scenes) EXPECT_FALSE(s.objectAnim);
}

TEST_F(ParserNameTest, MissingNamesGiveMinusOne) {
    add(0, "0 object gone.jpg mask gone.jpg");
    add(0, "0 object gone.3ds");
    add(0, "0 object sky.jpg to gone.jpg");
    script.parse();
    ASSERT_EQ(script.scenes.size(), 3u);
    EXPECT_EQ(script.scenes[0].objectStart, -1);
    EXPECT_EQ(script.scenes[0].imageWidth, -1);
    EXPECT_EQ(script.scenes[0].imageHeight, -1);
    EXPECT_EQ(script.scenes[0].maskStart, -1);
    EXPECT_TRUE(script.scenes[0].maskOn);
    EXPECT_EQ(script.scenes[1].objectStart, -1);
    EXPECT_EQ(script.scenes[2].objectStart, 5);
    EXPECT_EQ(script.scenes[2].objectEnd, -1);
}

TEST_F(ParserNameTest, ObjectFromImageToImage) {
    const CScene s = only("0 object a.jpg to b.jpg");
    EXPECT_TRUE(s.objectAnim);
    EXPECT_EQ(s.objectStart, 7);
    EXPECT_EQ(s.objectEnd, 9);
    EXPECT_EQ(s.imageWidth, 64);
    EXPECT_EQ(s.imageHeight, 32);
}

TEST_F(ParserNameTest, ObjectToImageKeepsTheFirstImageSize) {
    const CScene s = only("0 object sky.jpg to UP.JPG");
    EXPECT_EQ(s.objectEnd, 11);
    EXPECT_EQ(s.imageWidth, 320);
    EXPECT_EQ(s.imageHeight, 200);
}

TEST_F(ParserNameTest, MaskNamesAndModelsToModels) {
    add(0, "0 mask a.jpg to b.jpg object ship.3ds to rock.3ds");
    add(0, "0 mask ship.3ds");  // a model is no mask: read as a number
    script.parse();
    ASSERT_EQ(script.scenes.size(), 2u);
    const CScene& s = script.scenes[0];
    EXPECT_TRUE(s.maskOn);
    EXPECT_TRUE(s.maskAnim);
    EXPECT_EQ(s.maskStart, 7);
    EXPECT_EQ(s.maskEnd, 9);
    EXPECT_TRUE(s.objectAnim);
    EXPECT_EQ(s.objectStart, 2);
    EXPECT_EQ(s.objectEnd, 1);
    EXPECT_EQ(script.scenes[1].maskStart, -1);
    EXPECT_FALSE(script.scenes[1].maskAnim);
}

TEST_F(ParserTest, NumbersAsObjectAndMask) {
    const CScene s = only("0 object 1234 mask 1234");
    EXPECT_EQ(s.objectStart, 1234);
    EXPECT_EQ(s.maskStart, 1234);
    EXPECT_TRUE(s.maskOn);
}

TEST_F(ParserTest, FirstRecordOfACallStartsFromTheReset) {
    const CScene s = only("1500");
    EXPECT_EQ(s.startTime, 1500);
    EXPECT_EQ(s.endTime, 0);
    EXPECT_EQ(s.type, 100);
    EXPECT_EQ(s.blendSrc, 770);
    EXPECT_EQ(s.blendDst, 1);
    EXPECT_EQ(s.maskStart, -1);
    EXPECT_EQ(s.opacityStart, 1.0f);
    EXPECT_EQ(s.track, 0);
    EXPECT_EQ(s.objectStart, 0);
    EXPECT_EQ(s.angleStart, 0.0f);
    EXPECT_FALSE(s.opacityOn || s.colorOn || s.rotateOn || s.blend || s.sync || s.insync);
    timer.elapsed = 1500;
    CScene copy = s;
    EXPECT_FALSE(copy.isRunning());  // removed on the frame it is parsed
}

TEST_F(ParserTest, LookAheadWordIsTheNextClauseEvenAtTheEnd) {
    const CScene s = only("1000 opacity 0.5 blend");
    EXPECT_TRUE(s.opacityOn);
    EXPECT_FALSE(s.opacityAnim);
    EXPECT_EQ(s.opacityStart, 0.5f);
    EXPECT_TRUE(s.blend);
}

TEST_F(ParserTest, EveryAnimatableClauseTakesToAndEndValues) {
    const CScene s = only(
        "0 color 0.1 0.2 0.3 to 0.4 0.5 0.6 angle 10 to 20 rotate 1 0 0 to 0 1 0 scale 1 2 3 to 4 5 6 "
        "translate -1 -2 -3 to 1 2 3 move 10 20 to 30 40 wireframe");
    EXPECT_TRUE(s.colorOn && s.colorAnim && s.rotateOn && s.angleAnim && s.axisAnim);
    EXPECT_TRUE(s.scaleOn && s.scaleAnim && s.translateOn && s.translateAnim && s.moveOn && s.moveAnim);
    EXPECT_TRUE(s.wireframe);
    EXPECT_FLOAT_EQ(s.colorStart[2], 0.3f);
    EXPECT_FLOAT_EQ(s.colorEnd[0], 0.4f);
    EXPECT_FLOAT_EQ(s.angleEnd, 20);
    EXPECT_FLOAT_EQ(s.axisEnd[1], 1);
    EXPECT_FLOAT_EQ(s.scaleStart[1], 2);
    EXPECT_FLOAT_EQ(s.scaleEnd[2], 6);
    EXPECT_FLOAT_EQ(s.translateStart[0], -1);
    EXPECT_FLOAT_EQ(s.translateEnd[2], 3);
    EXPECT_FLOAT_EQ(s.moveStart[1], 20);
    EXPECT_FLOAT_EQ(s.moveEnd[0], 30);
}

TEST_F(ParserTest, OperandsAreTakenByPosition) {
    // "blend" is color's third operand here, not a clause; "to" as an
    // operand is no look-ahead either.
    const CScene s = only("0 color 1 1 blend scale 2 to 3 envmap");
    EXPECT_FALSE(s.blend);
    EXPECT_FLOAT_EQ(s.colorStart[1], 1);
    EXPECT_FALSE(s.colorAnim);
    EXPECT_FLOAT_EQ(s.scaleStart[0], 2);
    EXPECT_FLOAT_EQ(s.scaleStart[2], 3);
    EXPECT_FALSE(s.scaleAnim);
    EXPECT_TRUE(s.envmap);
}

TEST_F(ParserTest, RecordCarriesUnresetFieldsBetweenStatementsOfOneCall) {
    add(1000, "1000 track 4 angle 30 color 0.1 0.2 0.3 opacity 0 to 0.25 blendFunc 1 771 blend duration 50");
    add(1000, "1000 rotate 0 0 1 opacity 0.75 to");
    add(1000, "1000 opacity x");
    script.parse();
    ASSERT_EQ(script.scenes.size(), 3u);
    const CScene& second = script.scenes[1];
    EXPECT_EQ(second.track, 4);
    EXPECT_EQ(second.duration, 50);
    EXPECT_EQ(second.endTime, 0);  // reset, although duration carried over
    EXPECT_TRUE(second.rotateOn);
    EXPECT_FLOAT_EQ(second.angleStart, 30);
    EXPECT_FALSE(second.colorOn);
    EXPECT_FLOAT_EQ(second.colorStart[1], 0.2f);
    EXPECT_FALSE(second.blend);
    EXPECT_EQ(second.blendSrc, 770);
    EXPECT_EQ(second.blendDst, 1);
    // "opacity 1 to" at the end: animated, end value left as it was.
    EXPECT_TRUE(second.opacityAnim);
    EXPECT_FLOAT_EQ(second.opacityStart, 0.75f);
    EXPECT_FLOAT_EQ(second.opacityEnd, 0.25f);
    // "opacity x" switches opacity on with the start unchanged.
    const CScene& third = script.scenes[2];
    EXPECT_TRUE(third.opacityOn);
    EXPECT_FALSE(third.opacityAnim);
    EXPECT_FLOAT_EQ(third.opacityStart, 0.75f);
}

TEST_F(ParserTest, OpacityWithoutNumberKeepsTheInitialStart) {
    const CScene s = only("0 opacity x");
    EXPECT_TRUE(s.opacityOn);
    EXPECT_EQ(s.opacityStart, 1.0f);
}

TEST_F(ParserTest, NumbersStopAtTheFirstOtherCharacter) {
    const CScene s = only("1000 track 12abc duration 500ms opacity 0.5e1x blendFunc 3x y");
    EXPECT_EQ(s.track, 12);
    EXPECT_EQ(s.duration, 500);
    EXPECT_EQ(s.endTime, 1500);
    EXPECT_FLOAT_EQ(s.opacityStart, 5);
    EXPECT_EQ(s.blendSrc, 3);
    EXPECT_EQ(s.blendDst, 1);  // "y" is no number
}

TEST_F(ParserTest, OtherWordsAreIgnored) {
    const CScene s = only("1000 foo track 3 Track 9 reflect ??? BLEND bar scene 0 type 0");
    EXPECT_EQ(s.track, 3);
    EXPECT_EQ(s.type, 0);
    EXPECT_FALSE(s.blend);
    EXPECT_EQ(s.endTime, 0);
}

TEST_F(ParserTest, EqualStartTimesParseTogetherLaterGroupOnALaterCall) {
    add(1000, "1000 track 1");
    add(1000, "1000 track 2");
    add(1500, "1500 track 3 duration 10");
    script.parse();
    EXPECT_EQ(script.nextStatement, 2);
    EXPECT_EQ(tracks(), (std::vector<int>{2, 1}));
    script.parse();
    EXPECT_EQ(script.nextStatement, 3);
    EXPECT_EQ(tracks(), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(script.scenes[0].endTime, 1510);
    script.parse();  // past the last statement: nothing more
    EXPECT_EQ(script.nextStatement, 3);
    EXPECT_EQ(script.scenes.size(), 3u);
}

// A group goes into the list in one pass; the order must be the one that
// filing its records one at a time gives, also into a list that a sync
// scene has left out of track order.
TEST_F(ParserTest, GroupGoesWhereOneAtATimeFilingPutsIt) {
    std::mt19937 random(3);
    for (int round = 0; round < 300; round++) {
        SetUp();
        std::vector<CScene> expected;
        const int old = int(random() % 12), group = 1 + int(random() % 40), tracks = 1 + int(random() % 6);
        for (int i = 0; i < old; i++) {
            CScene s{};
            s.track = int(random() % tracks);
            s.duration = -1 - i;  // tells the records apart
            expected.push_back(s);
        }
        if (round % 2) std::sort(expected.begin(), expected.end(), [](auto& a, auto& b) { return a.track > b.track; });
        script.scenes = expected;
        for (int i = 0; i < group; i++) {
            const int track = int(random() % tracks);
            add(500, "500 track " + std::to_string(track) + " duration " + std::to_string(i));
            CScene s{};
            s.track = track;
            s.duration = i;
            auto at = std::find_if(expected.begin(), expected.end(), [&](auto& o) { return o.track < track; });
            expected.insert(at, s);
        }
        add(600, "600 track 9");
        script.parse();
        ASSERT_EQ(script.nextStatement, group);
        ASSERT_EQ(script.scenes.size(), expected.size());
        for (size_t i = 0; i < expected.size(); i++) {
            ASSERT_EQ(script.scenes[i].track, expected[i].track) << "round " << round << ", place " << i;
            ASSERT_EQ(script.scenes[i].duration, expected[i].duration) << "round " << round << ", place " << i;
        }
    }
}

TEST_F(ParserTest, EarlierStatementAfterALaterOneKeepsItsOwnTime) {
    add(2000, "2000 track 1");
    add(1000, "1000 track 2 duration 5000");
    script.parse();
    ASSERT_EQ(script.scenes.size(), 1u);
    EXPECT_EQ(script.scenes[0].startTime, 2000);
    script.parse();
    ASSERT_EQ(script.scenes.size(), 2u);
    EXPECT_EQ(script.scenes[0].startTime, 1000);
    EXPECT_EQ(script.scenes[0].endTime, 6000);
}

TEST_F(ParserTest, TracksDescendAndEqualTracksKeepArrivalOrder) {
    add(0, "0 track 1 duration 1");
    add(0, "0 track 3 duration 2");
    add(0, "0 track 2 duration 3");
    add(0, "0 track 3 duration 4");
    script.parse();
    EXPECT_EQ(tracks(), (std::vector<int>{3, 3, 2, 1}));
    std::vector<int> durations;
    for (const CScene& s : script.scenes) durations.push_back(s.duration);
    EXPECT_EQ(durations, (std::vector<int>{2, 4, 3, 1}));
}

TEST_F(ParserTest, InsertionScansTheListAsItStands) {
    // A sync scene that took over a template's track sits out of order.
    CScene moved{};
    moved.track = 1;
    CScene high{};
    high.track = 9;
    script.scenes = {moved, high};
    add(0, "0 track 5");
    script.parse();
    EXPECT_EQ(tracks(), (std::vector<int>{5, 1, 9}));
}

TEST_F(ParserTest, SceneOneIsCopiedIntoTheTubeRecordAndListed) {
    scene1.sync = true;
    scene1.syncEndTime = 777;
    add(1000, "1000 scene 1 track 2 duration 100 color 1 0 0");
    add(1000, "1000 scene 2 track 3 duration 999");
    script.parse();
    EXPECT_EQ(script.scenes.size(), 2u);
    EXPECT_EQ(scene1.sceneNumber, 1);
    EXPECT_EQ(scene1.track, 2);
    EXPECT_EQ(scene1.startTime, 1000);
    EXPECT_EQ(scene1.endTime, 1100);
    EXPECT_TRUE(scene1.colorOn);
    EXPECT_TRUE(scene1.sync);  // sync state is the tube record's own
    EXPECT_EQ(scene1.syncEndTime, 777);
}

TEST_F(ParserTest, StartTimeWordThatIsNoNumberFallsBackToTheTimeline) {
    add(0, "Sync 1 500");
    add(0, "");
    script.parse();
    ASSERT_EQ(script.scenes.size(), 2u);
    EXPECT_EQ(script.scenes[0].startTime, 0);
    EXPECT_EQ(script.scenes[1].startTime, 0);
}

TEST_F(ParserTest, MismatchedTimelineListsAreNotReadPastTheirEnd) {
    add(0, "0 track 1");
    script.statements.push_back("0 track 2");  // no start time of its own
    script.parse();
    EXPECT_EQ(script.scenes.size(), 1u);
    script.parse();
    EXPECT_EQ(script.scenes.size(), 1u);
}

TEST_F(ParserTest, EndExitsWithStatusZero) {
    add(1000, "1000 track 1");
    add(1000, "1000 blend end");
    EXPECT_EXIT(script.parse(), ::testing::ExitedWithCode(0), "");
}

TEST_F(ParserTest, EndAsAnOperandIsNoKeyword) {
    // Run in a child: an unexpected quit would end it with status 0.
    add(0, "0 opacity end blend");
    EXPECT_EXIT(
        {
            script.parse();
            const CScene& s = script.scenes.at(0);
            std::exit(s.opacityOn && s.blend && s.opacityStart == 1.0f ? 3 : 4);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST_F(ParserTest, HostileStatementsStayWithinBounds) {
    add(2000000000, "2000000000 duration 2000000000");
    add(2000000000, "2000000000\tto to to object to mask to\r\n");
    add(2000000000, "2000000000 color 1e99 -1e99 nan to 1 1 1 opacity 99999999999999999999 track -99999999999");
    add(2000000000, "2000000000 object .jpg mask .JPG object x.3ds to y.3ds move");
    script.parse();
    ASSERT_EQ(script.scenes.size(), 4u);
    EXPECT_EQ(script.scenes[0].endTime, INT32_MAX);  // saturated, not wrapped
    EXPECT_EQ(script.scenes[2].track, INT32_MIN);  // and carried on to the fourth
    EXPECT_EQ(script.scenes[3].track, INT32_MIN);
    EXPECT_TRUE(script.scenes[3].moveOn);
    EXPECT_EQ(script.scenes[3].objectStart, -1);  // no model x.3ds
    EXPECT_EQ(script.scenes[3].maskStart, -1);    // no image .JPG
}
