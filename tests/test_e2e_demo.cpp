// The sample show in the real player under X, as a user plays it: what its
// window shows at a few moments, that it ends itself on time, and that
// Escape or closing the window ends it early.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/e2e_screen.h"
#include "support/e2e_show.h"
#include "support/player.h"

using Clock = std::chrono::steady_clock;

static const std::vector<std::string> kQuiet = {"SDL_AUDIODRIVER=dummy"};

static double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

static void sleepUntil(Clock::time_point start, double seconds) {
    std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(seconds)));
}

static bool cyan(const Rgb& p) { return p[0] < 100 && p[1] > 140 && p[2] > 140; }
static bool lavaRed(const Rgb& p) { return p[0] > 120 && p[1] * 2 < p[0] && p[2] < 50; }
static bool magenta(const Rgb& p) { return p[0] > 120 && p[2] > 120 && p[1] < 70; }
static bool deepBlue(const Rgb& p) { return p[2] > 120 && p[0] < 80 && p[1] < 70; }
static bool wireGreen(const Rgb& p) { return p[1] > 150 && p[0] < 150 && p[1] > p[2] + 40; }
static int brightness(const Rgb& p) { return p[0] + p[1] + p[2]; }

// What the window shows at a moment of the show: a name for failures and a
// check of the screenshot. Times are seconds after the window appeared; show
// time runs a little ahead of them (it starts once the assets are loaded,
// and the window counts as there once it has been steady for a while).
struct Moment {
    double at;
    const char* what;
    void (*check)(const Picture&);
};

static Rgb skyTop, skyBottom;

static void sky(const Picture& p) {
    // Left edge: only the sky is there (the title's black surround adds nothing).
    skyTop = meanColour(p, 0, 0, 40, 12);
    skyBottom = meanColour(p, 0, p.height - 12, 40, 12);
    EXPECT_GT(skyTop[2], skyTop[0]) << "navy at the top";
    EXPECT_LT(brightness(skyTop), 80);
    EXPECT_GT(skyBottom[0], 80) << "pink at the bottom";
    EXPECT_GT(skyBottom[0], skyBottom[1] + 40);
    EXPECT_GT(skyBottom[0], skyBottom[2] + 30);
    EXPECT_GT(skyBottom[0], skyTop[0] + 60);
    // The title glows in the middle.
    EXPECT_GT(countPixels(p, 0, p.height / 3, p.width, p.height / 3, [](const Rgb& c) { return brightness(c) > 400; }),
              3000);
}

static void torus(const Picture& p) {
    EXPECT_GT(countPixels(p, p.width / 2 - 120, p.height / 2 - 120, 240, 240, cyan), 800);
    EXPECT_EQ(countPixels(p, 0, 0, p.width, 60, cyan), 0) << "the torus stays near the centre";
}

static void cubeAndTorus(const Picture& p) {
    EXPECT_GT(countPixels(p, 0, 0, p.width / 2, p.height, lavaRed), 300) << "the lava cube, left";
    EXPECT_EQ(countPixels(p, p.width / 2, 0, p.width / 2, p.height, lavaRed), 0);
    EXPECT_GT(countPixels(p, p.width / 4, p.height / 4, p.width / 2, p.height / 2, cyan), 800);
}

static void tube(const Picture& p) {
    const int all = p.width * p.height;
    EXPECT_GT(countPixels(p, 0, 0, p.width, p.height, magenta), all / 50);
    EXPECT_GT(countPixels(p, 0, 0, p.width, p.height, deepBlue), all / 100);
    EXPECT_EQ(countPixels(p, 0, 0, p.width, p.height, cyan), 0) << "the torus has left";
}

static void wireframe(const Picture& p) {
    EXPECT_GT(countPixels(p, 0, 0, p.width, p.height, wireGreen), 100);
}

static void closing(const Picture& p) {
    const Rgb mean = meanColour(p, 0, 0, p.width, p.height);
    EXPECT_LT(brightness(mean), 120) << "dark scan lines over a fading sky";
    EXPECT_LT(brightness(mean), brightness(skyBottom) / 2);
}

static const Moment kMoments[] = {
    {2.2, "sky and title", sky},
    {10.0, "torus", torus},
    {20.0, "cube and torus", cubeAndTorus},
    {34.0, "tube", tube},
    {44.0, "wireframe dart", wireframe},
    {58.8, "closing", closing},
};

TEST(E2eDemo, PlaysItsScriptAndEndsItselfOnTime) {
    REQUIRE_DISPLAY();
    ShowDir show;
    copyDemoData(show);
    Player player;
    const Clock::time_point started = Clock::now();
    ASSERT_TRUE(player.start(show.path(), {}, kQuiet));
    const unsigned long window = player.window();
    ASSERT_NE(window, 0u) << player.errorOutput();
    const Clock::time_point appeared = Clock::now();

    for (const Moment& moment : kMoments) {
        SCOPED_TRACE(moment.what);
        sleepUntil(appeared, moment.at);
        Picture shot;
        ASSERT_TRUE(grabWindow(window, shot)) << "at " << secondsSince(appeared) << " s";
        ASSERT_EQ(shot.width, 640);
        ASSERT_EQ(shot.height, 480);
        moment.check(shot);
    }

    // "60.0 end": show time starts after the window opened, so the end
    // cannot come sooner than 60 s after the start; llvmpipe may lag a frame or
    // two, but show time is wall-clock time.
    EXPECT_EQ(player.wait(80), 0) << player.errorOutput();
    EXPECT_GT(secondsSince(started), 59.9);
    EXPECT_LT(secondsSince(appeared), 75.0);
    EXPECT_EQ(player.errorOutput(), "");
}

// The sample show playing, then the user's way out: status 0, at once.
static void endEarly(bool (*request)(unsigned long)) {
    ShowDir show;
    copyDemoData(show);
    Player player;
    ASSERT_TRUE(player.start(show.path(), {}, kQuiet));
    const unsigned long window = player.window();
    ASSERT_NE(window, 0u) << player.errorOutput();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    ASSERT_TRUE(player.running()) << player.errorOutput();
    const Clock::time_point asked = Clock::now();
    ASSERT_TRUE(request(window));
    EXPECT_EQ(player.wait(10), 0) << player.errorOutput();
    EXPECT_LT(secondsSince(asked), 5.0);
}

static bool pressEscape(unsigned long window) { return sendKey(window, "Escape"); }

TEST(E2eDemo, EscapeEndsTheShowEarly) {
    REQUIRE_DISPLAY();
    endEarly(pressEscape);
}

TEST(E2eDemo, ClosingTheWindowEndsTheShowEarly) {
    REQUIRE_DISPLAY();
    endEarly(sendCloseRequest);
}
