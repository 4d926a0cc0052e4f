// The playhead: a seek, forwards or backwards, leaves the engine as
// composing every frame before it does, and the frame after it is drawn
// pixel for pixel the same. Shown side by side on the sample show and on a
// generated show full of sync lists.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "assets/gfx.h"
#include "draw/camera.h"
#include "draw/rm_evil_bezier.h"
#include "script/script.h"
#include "shell/engine.h"
#include "shell/init.h"
#include "shell/timer.h"
#include "support/e2e_show.h"
#include "support/jpeg_files.h"
#include "support/model_table.h"
#include "support/offscreen.h"
#include "support/scene_fields.h"
#include "support/showdir.h"
#include "support/sync_show.h"
#include "timeline/seek.h"

namespace {

const int kWidth = 160, kHeight = 120;

// What a frame hands on to the next, and the picture of the frame after it.
struct Snapshot {
    int32_t nextStatement = 0;
    int32_t elapsed = 0;
    std::vector<CScene> scenes;
    CScene tube{};
    std::vector<uint8_t> picture;
};

Snapshot stateNow() {
    Snapshot s;
    s.nextStatement = script.nextStatement;
    s.elapsed = timer.elapsed;
    s.scenes = script.scenes;
    s.tube = scene1;
    return s;
}

std::vector<uint8_t> picture() {
    std::vector<uint8_t> rgba(size_t(kWidth) * kHeight * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

void expectState(const Snapshot& want, const std::string& where) {
    EXPECT_EQ(script.nextStatement, want.nextStatement) << where;
    EXPECT_EQ(timer.elapsed, want.elapsed) << where;
    ASSERT_EQ(script.scenes.size(), want.scenes.size()) << where;
    for (size_t i = 0; i < want.scenes.size(); i++)
        EXPECT_EQ(stateDifferences(script.scenes[i], want.scenes[i]), "") << where << ", scene " << i;
    EXPECT_EQ(stateDifferences(scene1, want.tube), "") << where << ", the tube";
}

int differingPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int n = 0;
    for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) n += std::memcmp(&a[i], &b[i], 4) != 0;
    return n + int(a.size() != b.size());
}

class SeekTest : public OffscreenTest {
protected:
    int contextWidth() const override { return kWidth; }
    int contextHeight() const override { return kHeight; }

    // The capture's start-up, in this process: script, then assets.
    void load(const std::string& dir, int fps = 60) {
        cwd = std::make_unique<WorkingDir>(dir);
        script = CScript{};
        scene1 = CBezier{};
        einit.defaults();
        ASSERT_TRUE(script.init(kScriptPath));
        einit.width = einit.modeWidth = kWidth;
        einit.height = einit.modeHeight = kHeight;
        einit.soundOn = false;
        einit.opengl();
        camera.init();
        einit.dir();
        timer.elapsed = 0;
        playhead.start(dir + "/data/script.txt", fps);
    }

    void TearDown() override {
        clearTextureTable();
        clearModelTable();
        script = CScript{};
        scene1 = CBezier{};
        cwd.reset();
        OffscreenTest::TearDown();
    }

    // Composes the show frame by frame from frame 0 until its end, keeping
    // the state before each of the frames asked for and its picture.
    void composeEveryFrame(const std::set<int64_t>& frames) {
        ASSERT_EQ(playhead.frame(), 0);
        while (true) {
            const int64_t k = playhead.frame();
            Snapshot before = stateNow();
            if (!playhead.compose()) {
                endFrame = k;
                reference[k] = before;
                atEnd = stateNow();
                return;
            }
            if (frames.count(k)) {
                before.picture = picture();
                reference[k] = before;
            }
        }
    }

    // Seeks to each time in turn and holds the engine against the frame-by-
    // frame run; then draws the frame there.
    void seekAndCompare(const std::vector<int32_t>& times, const std::string& pass) {
        for (const int32_t t : times) {
            const int64_t k = firstFrameAt(t, playhead.fps());
            const std::string where = pass + " seek to " + std::to_string(t) + " ms, frame " + std::to_string(k);
            if (k > endFrame) {
                EXPECT_EQ(playhead.seek(t), CPlayhead::Stop::Ended) << where;
                EXPECT_EQ(playhead.frame(), endFrame) << where;
                expectState(atEnd, where);
                continue;
            }
            ASSERT_EQ(playhead.seek(t), CPlayhead::Stop::Reached) << where;
            ASSERT_EQ(playhead.frame(), k) << where;
            ASSERT_TRUE(reference.count(k)) << where;
            expectState(reference[k], where);
            if (k == endFrame) {
                // The frame that parses "end" is never drawn.
                EXPECT_FALSE(playhead.compose()) << where;
                expectState(atEnd, where);
                continue;
            }
            ASSERT_TRUE(playhead.compose()) << where;
            EXPECT_EQ(differingPixels(picture(), reference[k].picture), 0) << where;
        }
    }

    // Forwards through the times, backwards through them, then in a jumbled order.
    void compareEverywhere(std::vector<int32_t> times) {
        std::set<int64_t> frames;
        for (const int32_t t : times) frames.insert(firstFrameAt(t, playhead.fps()));
        composeEveryFrame(frames);
        ASSERT_GT(endFrame, 0);
        std::sort(times.begin(), times.end());
        seekAndCompare(times, "forwards:");
        std::reverse(times.begin(), times.end());
        seekAndCompare(times, "backwards:");
        uint32_t seed = 12345;
        for (size_t i = times.size(); i > 1; i--) {
            seed = seed * 1103515245u + 12345u;
            std::swap(times[i - 1], times[(seed >> 8) % i]);
        }
        seekAndCompare(times, "jumbled:");
    }

    std::unique_ptr<WorkingDir> cwd;
    std::map<int64_t, Snapshot> reference;
    int64_t endFrame = -1;
    Snapshot atEnd;
};

// Each time, the millisecond before and after it, a time between two
// frames, and the frame before it.
std::vector<int32_t> around(const std::vector<int32_t>& events, int fps) {
    std::vector<int32_t> times;
    for (const int32_t e : events) {
        for (const int32_t t : {e - 1, e, e + 1, e + 8}) times.push_back(std::max(t, 0));
        times.push_back(int32_t(frameTime(std::max<int64_t>(firstFrameAt(e, fps) - 1, 0), fps)));
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

}  // namespace

TEST_F(SeekTest, SampleShowAtItsStatementsAndBeats) {
    ShowDir show;
    copyDemoData(show);
    // A frame rate whose frames fall between the beats, and that keeps the
    // frame-by-frame run of the whole minute short.
    const int fps = 24;
    load(show.path(), fps);
    std::vector<int32_t> events(script.startTimes.begin(), script.startTimes.end());
    // The pulse's beats, its end and a few times past the show's end.
    for (int32_t t = 30000; t <= 42000; t += 500) events.push_back(t);
    for (const int32_t t : {7000, 26000, 42000, 56000, 59999, 60001, 75000}) events.push_back(t);
    compareEverywhere(around(events, fps));
}

TEST_F(SeekTest, SyncHeavyShowAtEveryEventAndMark) {
    ShowDir show;
    writeSyncShow(show);
    load(show.path());
    std::vector<int32_t> events(script.startTimes.begin(), script.startTimes.end());
    // Ends of spans, and the marks of the loop of list 0 from its scenes' starts.
    for (const int32_t t : {255, 2400, 3500, 3700, 4500, 5000, 6000, 6500, 6900, 7000, 7700, 10500, 11000, 11500, 11750, 11900, 11950})
        events.push_back(t);
    const int32_t marks[] = {250, 250, 125, 0, 375};
    for (const int32_t start : {500, 5000, 10000})
        for (int32_t t = start, i = 0; t < start + 3000; t += marks[i++ % 5]) events.push_back(t);
    compareEverywhere(around(events, 60));
}

// As a preview plays: frames at the clock's times, off the frame grid.
TEST_F(SeekTest, ComposingAtATimeNotAfterTheLastGoesBackFirst) {
    ShowDir show;
    writeSyncShow(show);
    load(show.path());
    // Groups at 3000, 2999, 3001 and 3002 in that order: one is parsed per
    // frame, so a second frame at 3010 would take the next.
    ASSERT_EQ(playhead.seek(3010), CPlayhead::Stop::Reached);
    ASSERT_TRUE(playhead.composeAt(3010));
    EXPECT_EQ(playhead.frame(), firstFrameAt(3011, 60));
    const Snapshot once = stateNow();
    const std::vector<uint8_t> first = picture();
    ASSERT_TRUE(playhead.composeAt(3010));
    expectState(once, "composed again");
    EXPECT_EQ(differingPixels(picture(), first), 0);
    // And from later on.
    ASSERT_TRUE(playhead.composeAt(7400));
    ASSERT_TRUE(playhead.composeAt(3010));
    expectState(once, "composed after a later frame");
    EXPECT_EQ(differingPixels(picture(), first), 0);
}

TEST_F(SeekTest, TheEndStopsASeekAndTheFrameBeforeItCanBeShown) {
    ShowDir show;
    show.writeScript("@sync\n0 track 1 type 1 object 0 duration 5000\n1000 track 2 duration 300 end\n@end\n");
    load(show.path(), 30);
    composeEveryFrame({29});
    ASSERT_EQ(endFrame, 30);  // the frame at 1000 ms
    ASSERT_EQ(playhead.seekFrame(0), CPlayhead::Stop::Reached);

    setQuitHandler([] { std::abort(); });
    EXPECT_EQ(playhead.seek(2000), CPlayhead::Stop::Ended);
    EXPECT_TRUE(playhead.ended());
    EXPECT_EQ(playhead.frame(), 30);
    expectState(atEnd, "at the end");
    EXPECT_EQ(playhead.seek(4000), CPlayhead::Stop::Ended) << "no further than the end";
    EXPECT_FALSE(playhead.compose());
    EXPECT_EQ(playhead.frame(), 30);
    // The caller's own handler is back.
    EXPECT_NE(setQuitHandler(nullptr), nullptr);

    ASSERT_EQ(playhead.seekFrame(29), CPlayhead::Stop::Reached);
    EXPECT_FALSE(playhead.ended());
    expectState(reference[29], "before the last frame");
    ASSERT_TRUE(playhead.compose());
    EXPECT_EQ(differingPixels(picture(), reference[29].picture), 0);
}

TEST_F(SeekTest, ReloadTakesTheEditedScriptBackToTheSameTimeAndKeepsTheRenderSize) {
    ShowDir show;
    show.writeScript("@sync\n0 track 1 type 1 object 0 duration 5000\n@end\n");
    load(show.path());
    ASSERT_EQ(playhead.seek(2000), CPlayhead::Stop::Reached);
    show.writeScript(
        "Default 1024x768\nSync 2 100\n@sync\n0 track 2 insync\n"
        "1500 track 1 type 1 object 0 sync 0 duration 5000\n1900 track 3 duration 500\n@end\n");
    ASSERT_EQ(playhead.reload(2000), CPlayhead::Stop::Reached);
    EXPECT_EQ(playhead.frame(), firstFrameAt(2000, 60));
    EXPECT_EQ(einit.width, kWidth);
    EXPECT_EQ(einit.height, kHeight);
    EXPECT_EQ(script.syncLists.size(), 1u);
    const Snapshot reloaded = stateNow();
    ASSERT_EQ(reloaded.scenes.size(), 3u);

    // The same as composing the edited show from its start.
    ASSERT_EQ(playhead.seekFrame(0), CPlayhead::Stop::Reached);
    while (playhead.frame() < firstFrameAt(2000, 60)) ASSERT_TRUE(playhead.compose());
    expectState(reloaded, "composed");

    // A script that cannot be read leaves the show where it was, and seeks
    // go on playing the version held.
    std::remove((show.data() + "/script.txt").c_str());
    EXPECT_EQ(playhead.reload(0), CPlayhead::Stop::Unreadable);
    EXPECT_FALSE(playhead.error().empty());
    EXPECT_EQ(playhead.frame(), firstFrameAt(2000, 60));
    expectState(reloaded, "after a failed reload");
    ASSERT_EQ(playhead.seek(0), CPlayhead::Stop::Reached);
    ASSERT_EQ(playhead.seek(2000), CPlayhead::Stop::Reached);
    expectState(reloaded, "back and forth after a failed reload");
}

// GL state that one frame leaves to the next and the timeline does not hold:
// a colour set where nothing is drawn (a model that is not there), and the
// blend factors of a 'blend' scene, which a later pair that GL rejects
// keeps. Each show is seeked to its time in a fresh context, as a shot is,
// then composed frame by frame from its start to the same time.
TEST_F(SeekTest, ASeekedFrameIsTheFrameComposedAfterEveryFrameBeforeIt) {
    const struct {
        const char* what;
        const char* statements;
        int32_t at;
    } shows[] = {
        {"a coloured model that is not there, then an image",
         "0 track 1 type 0 object nothere.3ds color 1 0 0 duration 100\n"
         "500 track 1 type 1 object checker.jpg center duration 1000\n",
         1000},
        {"blend factors, then factors GL rejects",
         "0 track 3 type 1 object sky.jpg center duration 3000\n"
         "0 track 2 type 0 object cube.3ds translate 0 0 -8 blend blendFunc GL_ONE GL_ONE duration 500\n"
         "1000 track 1 type 0 object torus.3ds translate 0 0 -8 blend blendFunc 5 5 duration 1000\n",
         1500},
    };
    for (const auto& c : shows) {
        SCOPED_TRACE(c.what);
        clearTextureTable();
        clearModelTable();
        ASSERT_TRUE(context.create(kWidth, kHeight));
        ShowDir show;
        copyDemoData(show, false);
        show.writeScript(std::string("@sync\n") + c.statements + "3.0 end\n@end\n");
        load(show.path());

        ASSERT_EQ(playhead.seek(c.at), CPlayhead::Stop::Reached);
        const int64_t k = playhead.frame();
        ASSERT_TRUE(playhead.compose());
        const std::vector<uint8_t> seeked = picture();

        ASSERT_EQ(playhead.seekFrame(0), CPlayhead::Stop::Reached);
        while (playhead.frame() <= k) ASSERT_TRUE(playhead.compose());
        const std::vector<uint8_t> replayed = picture();
        EXPECT_EQ(differingPixels(seeked, replayed), 0) << "at " << c.at << " ms";
        EXPECT_GT(differingPixels(replayed, std::vector<uint8_t>(replayed.size(), 0)), 0) << "nothing drawn";
        cwd.reset();  // before the show's directory goes
    }
}
