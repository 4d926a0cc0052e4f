// korvane-capture: frame times, numbering, --from/--to/--shot, determinism
// and pixels of captured frames, read back by ImageMagick.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/capture_run.h"
#include "support/showdir.h"
#include "support/sync_show.h"
#include "timeline/seek.h"

namespace fs = std::filesystem;

static const char* kSize = "64x48";
static const Rgb kBlack = {0, 0, 0};
static const Rgb kRed = {200, 40, 40};

// At 30 frames a second the frames fall at 0, 33, 67, 100, ... 367, 400:
// show time round(k * 1000 / 30).
//  - white fades in over 255 ms, so a frame's grey level is its time;
//  - red covers the picture only in [367, 400): frame 11 (366.67 rounds up).
static void writeTimingShow(const ShowDir& show) {
    writeSolidJpeg(show.data() + "/white.jpg", 64, 48, "white");
    writeSolidJpeg(show.data() + "/red.jpg", 64, 48, "rgb(200,40,40)");
    show.writeScript(
        "Default !fullscreen 640x480\n"
        "@sync\n"
        "0 track 2 type 1 object white.jpg move 0 0 opacity 0 to 1 duration 255\n"
        "367 track 1 type 1 object red.jpg move 0 0 duration 33\n"
        "1.0 end\n"
        "@end\n");
}

static std::vector<std::string> pngs(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

static Picture load(const std::string& path) {
    Picture picture;
    EXPECT_TRUE(readPicture(path, picture)) << path;
    return picture;
}

class CaptureShow : public ::testing::Test {
protected:
    void SetUp() override { writeTimingShow(show); }
    std::string frames(const std::string& sub = "frames") const { return show.path() + "/" + sub; }
    std::string frame(int index, const std::string& sub = "frames") const {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06d.png", index);
        return frames(sub) + name;
    }
    ShowDir show;
};

TEST_F(CaptureShow, FramesUntilEndAreNumberedAndTimedByTheFrameRate) {
    const ToolRun run = runCapture({"--dir", show.path(), "--fps", "30", "--size", kSize, "--frames", frames()});
    ASSERT_EQ(run.status, 0) << run.errors;
    // Standard error is a file: no bar drawn in place, but a last line (and
    // a line every few seconds, which a capture this short does not reach).
    EXPECT_EQ(run.errors.rfind("korvane-capture: 30 frames written, show time to 0.967 s, in ", 0), 0u) << run.errors;
    EXPECT_EQ(run.errors.find('\r'), std::string::npos) << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    // "end" at 1000 ms: the frames at 0 ... 967 are written, the one at 1000 is not.
    const std::vector<std::string> names = pngs(frames());
    ASSERT_EQ(names.size(), 30u);
    EXPECT_EQ(names.front(), "frame-000000.png");
    EXPECT_EQ(names.back(), "frame-000029.png");

    // The fade: grey level = show time of the frame while it runs.
    const int times[] = {0, 33, 67, 100, 133, 167, 200, 233};
    for (int k = 0; k < 8; k++) {
        const Picture p = load(frame(k));
        ASSERT_EQ(p.width, 64);
        ASSERT_EQ(p.height, 48);
        EXPECT_TRUE(colorNear(p.at(32, 24), {times[k], times[k], times[k]}, 1)) << "frame " << k;
    }
    // The red scene is on frame 11 alone; 10 and 12 fall before and at its end.
    EXPECT_TRUE(colorNear(load(frame(10)).at(5, 5), kBlack, 1));
    EXPECT_TRUE(colorNear(load(frame(11)).at(5, 5), kRed));
    EXPECT_TRUE(colorNear(load(frame(11)).at(60, 44), kRed));
    EXPECT_TRUE(colorNear(load(frame(12)).at(5, 5), kBlack, 1));
}

TEST_F(CaptureShow, FromAndToCutTheWrittenFramesButNotTheTimeline) {
    // From 300: frames at 300, 333, 367, 400 and 433 (to 450 is exclusive).
    const ToolRun run = runCapture(
        {"--dir", show.path(), "--fps", "30", "--size", kSize, "--from", "300", "--to", "450", "--frames", frames()});
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::vector<std::string> names = pngs(frames());
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names.back(), "frame-000004.png");
    // Numbered from the first frame written: the red frame at 367 is the third.
    EXPECT_TRUE(colorNear(load(frame(1)).at(5, 5), kBlack, 1)) << "the fade is over";
    EXPECT_TRUE(colorNear(load(frame(2)).at(5, 5), kRed));

    // Seconds with a decimal point: from 0.9 to the end at 1.0 gives 900, 933, 967.
    const ToolRun seconds =
        runCapture({"--dir", show.path(), "--fps", "30", "--size", kSize, "--from", "0.9", "--frames", frames("s")});
    ASSERT_EQ(seconds.status, 0) << seconds.errors;
    EXPECT_EQ(pngs(frames("s")).size(), 3u);
}

TEST_F(CaptureShow, ShotIsTheFrameAtItsTimeAlsoBetweenFrames) {
    const std::string onGrid = show.path() + "/on-grid.png";
    const std::string between = show.path() + "/between.png";
    const std::string after = show.path() + "/after.png";
    ASSERT_EQ(runCapture({"--dir", show.path(), "--size", kSize, "--shot", "380", "--out", between}).status, 0);
    ASSERT_EQ(runCapture({"--dir", show.path(), "--size", kSize, "--shot", "0.4", "--out", after}).status, 0);
    EXPECT_TRUE(colorNear(load(between).at(10, 10), kRed));
    EXPECT_TRUE(colorNear(load(after).at(10, 10), kBlack, 1));

    // A shot at the time of a captured frame is that frame, byte for byte,
    // here at another frame rate. (Only in shows without sync scenes: a sync
    // segment starts at the frame that takes its mark, so there the frames
    // leading up to a moment matter.)
    ASSERT_EQ(runCapture({"--dir", show.path(), "--size", kSize, "--fps", "25", "--shot", "367", "--out", onGrid})
                  .status,
              0);
    ASSERT_EQ(runCapture({"--dir", show.path(), "--fps", "30", "--size", kSize, "--frames", frames()}).status, 0);
    const std::string shot = readFile(onGrid);
    EXPECT_FALSE(shot.empty());
    EXPECT_EQ(shot, readFile(frame(11)));
}

// The frame that parses "end" is never drawn: the last frame is the one
// before it, which a shot at the end's time writes, as the preview's End
// key shows it. A fade over the whole show makes every frame another.
TEST_F(CaptureShow, ShotAtTheEndIsTheLastFrameAndAShotAfterItFails) {
    show.writeScript("@sync\n0 track 1 type 1 object white.jpg move 0 0 opacity 0 to 1 duration 1.0\n1.0 end\n@end\n");
    ASSERT_EQ(runCapture({"--dir", show.path(), "--fps", "30", "--size", kSize, "--frames", frames()}).status, 0);
    ASSERT_EQ(pngs(frames()).size(), 30u);

    const std::string atEnd = show.path() + "/end.png";
    ToolRun run = runCapture({"--dir", show.path(), "--fps", "30", "--size", kSize, "--shot", "1.0", "--out", atEnd});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("the shot is its last frame, at 967 ms"), std::string::npos) << run.errors;
    EXPECT_EQ(readFile(atEnd), readFile(frame(29)));

    const std::string out = show.path() + "/late.png";
    run = runCapture({"--dir", show.path(), "--fps", "30", "--size", kSize, "--shot", "1500", "--out", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("the show ends at 1000 ms, before the shot at 1500 ms; its last frame is at 967 ms"),
              std::string::npos)
        << run.errors;
    EXPECT_FALSE(fs::exists(out));
}

// The frames before a shot or a late start are fast-forwarded, not drawn;
// what is written is byte for byte what a capture drawing every frame writes.
TEST(Capture, ShotsAndLateStartsWriteTheFramesOfAFullRun) {
    ShowDir show;
    writeSyncShow(show);
    const std::string all = show.path() + "/all", part = show.path() + "/part";
    auto frameFile = [](const std::string& dir, int64_t k) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(k));
        return dir + name;
    };
    const ToolRun full = runCapture({"--dir", show.path(), "--size", "80x60", "--to", "8.0", "--frames", all});
    ASSERT_EQ(full.status, 0) << full.errors;
    // Marks, the tube, the models, and the image drawn with the binding the
    // frame before left, just before and after a template stops binding.
    for (const int64_t k : {31, 97, 180, 300, 413, 414, 479}) {
        const std::string shot = show.path() + "/shot.png";
        const std::string time = std::to_string(frameTime(k, 60));
        const ToolRun run = runCapture({"--dir", show.path(), "--size", "80x60", "--shot", time, "--out", shot});
        ASSERT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(readFile(shot), readFile(frameFile(all, k))) << "frame " << k;
    }
    const ToolRun late =
        runCapture({"--dir", show.path(), "--size", "80x60", "--from", "6.9", "--to", "7.2", "--frames", part});
    ASSERT_EQ(late.status, 0) << late.errors;
    const int64_t first = firstFrameAt(6900, 60), count = firstFrameAt(7200, 60) - first;
    ASSERT_EQ(int64_t(pngs(part).size()), count);
    for (int64_t i = 0; i < count; i++)
        EXPECT_EQ(readFile(frameFile(part, i)), readFile(frameFile(all, first + i))) << "frame " << first + i;
}

// The tube and a textured model: the heaviest drawing, captured twice.
static void writeTubeShow(const ShowDir& show) {
    show.writeScript(
        "Default !fullscreen 640x480\n"
        "@sync\n"
        "0 scene 1 track 1 translate 0 0 -38 angle 0 to 600 rotate 0 0 1 duration 10.0\n"
        "10.0 end\n"
        "@end\n");
}

TEST(Capture, TwoCapturesGiveIdenticalBytes) {
    ShowDir show;
    writeTubeShow(show);
    const std::string a = show.path() + "/a", b = show.path() + "/b";
    for (const std::string& dir : {a, b}) {
        const ToolRun run =
            runCapture({"--dir", show.path(), "--fps", "10", "--to", "0.5", "--size", "160x120", "--frames", dir});
        ASSERT_EQ(run.status, 0) << run.errors;
    }
    const std::vector<std::string> names = pngs(a);
    ASSERT_EQ(names.size(), 5u);
    ASSERT_EQ(pngs(b), names);
    for (const std::string& name : names) EXPECT_EQ(readFile(a + "/" + name), readFile(b + "/" + name)) << name;
}

// Golden values of the tube two seconds in, at 160 x 120, with a small
// tolerance: the lines are antialiased, a driver may shift them a little.
TEST(Capture, TubePixelsAtAChosenTime) {
    ShowDir show;
    writeTubeShow(show);
    const std::string out = show.path() + "/tube.png";
    const ToolRun run = runCapture({"--dir", show.path(), "--size", "160x120", "--fps", "10", "--shot", "2.0", "--out", out});
    ASSERT_EQ(run.status, 0) << run.errors;
    const Picture p = load(out);
    ASSERT_EQ(p.width, 160);
    ASSERT_EQ(p.height, 120);
    EXPECT_TRUE(colorNear(p.at(59, 65), {126, 0, 255}, 6)) << "magenta where red and blue rings cross";
    EXPECT_TRUE(colorNear(p.at(70, 53), {8, 0, 154}, 6)) << "blue";
    EXPECT_TRUE(colorNear(p.at(106, 95), {162, 0, 17}, 6)) << "red";
    EXPECT_TRUE(colorNear(p.at(10, 10), kBlack, 1)) << "background";
    // The tube has no green anywhere.
    int green = 0;
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++) green += p.at(x, y)[1] > 1;
    EXPECT_EQ(green, 0);
}

TEST(Capture, ProgressBarOnATerminal) {
    ShowDir show;
    writeTubeShow(show);
    const std::string log = show.path() + "/terminal.txt";
    const std::string command = shellQuote(KORVANE_CAPTURE) + " --dir " + shellQuote(show.path()) +
                                " --size 32x24 --fps 10 --to 1.0 --null";
    // script(1) gives the tool a terminal for its standard error.
    ASSERT_EQ(runCommand("script -qec " + shellQuote(command) + " /dev/null >" + shellQuote(log)), 0);
    const std::string text = readFile(log);
    EXPECT_NE(text.find("/10 frames  show "), std::string::npos) << text;
    EXPECT_NE(text.find(" fps "), std::string::npos) << text;
    EXPECT_NE(text.find(" left"), std::string::npos) << text;
    EXPECT_NE(text.find("\r"), std::string::npos) << "redrawn in place";
}
