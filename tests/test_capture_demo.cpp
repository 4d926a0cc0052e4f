// Frames of the sample show captured at chosen times: golden pixel values
// with a small tolerance (a driver may shift an edge or a rounding), taken
// where the script puts one thing alone.
#include <gtest/gtest.h>

#include "support/capture_run.h"
#include "support/e2e_screen.h"
#include "support/e2e_show.h"

// One shot of the demo at the script's own size (640 x 480). The frame rate
// is fixed: the sync pulse's look follows the frames that lead up to a shot.
static Picture demoShot(const std::string& time) {
    ShowDir show;
    copyDemoData(show);
    const std::string out = show.path() + "/shot.png";
    const ToolRun run = runCapture({"--dir", show.path(), "--fps", "5", "--shot", time, "--out", out});
    EXPECT_EQ(run.status, 0) << run.errors;
    Picture picture;
    EXPECT_TRUE(readPicture(out, picture)) << time;
    EXPECT_EQ(picture.width, 640);
    EXPECT_EQ(picture.height, 480);
    return picture;
}

static Rgb box(const Picture& p, int x, int y) { return meanColour(p, x - 5, y - 5, 11, 11); }

TEST(CaptureDemo, SkyAndTitleAtThreeSeconds) {
    const Picture p = demoShot("3.0");
    // The sky is three quarters faded in: navy above, a warm horizon below.
    EXPECT_TRUE(colorNear(p.at(20, 20), {10, 7, 24}, 4)) << "top";
    EXPECT_TRUE(colorNear(p.at(20, 460), {153, 66, 80}, 4)) << "bottom";
    EXPECT_TRUE(colorNear(p.at(620, 460), {153, 66, 80}, 4)) << "a gradient from top to bottom only";
    EXPECT_TRUE(colorNear(p.at(222, 226), {254, 204, 222}, 6)) << "a letter of the title";
}

TEST(CaptureDemo, ModelsAtTwentySeconds) {
    const Picture p = demoShot("20.0");
    EXPECT_TRUE(colorNear(box(p, 200, 240), {158, 40, 9}, 10)) << "the lava cube, left";
    EXPECT_TRUE(colorNear(p.at(232, 230), {24, 199, 216}, 4)) << "a cyan square of the torus";
}

TEST(CaptureDemo, TubeAtThirtyThreeSeconds) {
    const Picture p = demoShot("33.0");
    EXPECT_TRUE(colorNear(p.at(290, 76), {193, 0, 129}, 6)) << "magenta";
    EXPECT_TRUE(colorNear(p.at(302, 254), {2, 0, 145}, 6)) << "blue";
    EXPECT_TRUE(colorNear(p.at(416, 16), {123, 0, 19}, 6)) << "dark red";
}

TEST(CaptureDemo, ScanLinesOverTheDarkAtTheEnd) {
    const Picture p = demoShot("59.9");
    EXPECT_TRUE(colorNear(meanColour(p, 0, 0, p.width, p.height), {16, 15, 23}, 4));
    int bright = 0;
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++) bright += p.at(x, y)[0] + p.at(x, y)[1] + p.at(x, y)[2] > 150;
    EXPECT_EQ(bright, 0);
}
