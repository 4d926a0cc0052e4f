// The real player under X, driven as a user drives it.
#include <gtest/gtest.h>
#include <sys/stat.h>  // Required for: mkfifo

#include <filesystem>
#include <thread>

#include "support/e2e_screen.h"
#include "support/jpeg_files.h"
#include "support/player.h"
#include "support/showdir.h"

static const std::vector<std::string> kQuiet = {"SDL_AUDIODRIVER=dummy"};
static const char* kWindowedShow = "Default !fullscreen\n@sync\n@end\n";

static void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(Player, OpensACaptionedWindowOfTheScriptSize) {
    REQUIRE_DISPLAY();
    struct Case {
        const char* script;
        int width, height;
    } cases[] = {
        {"Default !fullscreen\n@sync\n@end\n", 640, 480},
        {"Default !fullscreen 800x600\n@sync\n@end\n", 800, 600},
        {"Options Default 1024x768 !fullscreen\n@sync\n@end\n", 1024, 768},
        {"Default !fullscreen 1280x1024\n@sync\n@end\n", 640, 480},  // not an option size
    };
    for (const Case& c : cases) {
        ShowDir show;
        show.writeScript(c.script);
        Player player;
        ASSERT_TRUE(player.start(show.path(), {}, kQuiet));
        const unsigned long window = player.window();
        ASSERT_NE(window, 0u) << c.script << player.errorOutput();
        EXPECT_EQ(windowName(window), "Korvane");
        int width = 0, height = 0;
        ASSERT_TRUE(windowSize(window, width, height));
        EXPECT_EQ(width, c.width) << c.script;
        EXPECT_EQ(height, c.height) << c.script;
        ASSERT_TRUE(sendKey(window, "Escape"));
        EXPECT_EQ(player.wait(10), 0);
    }
}

// Full screen on a display without a window manager (the tests' own X
// server) shows the frame as it is drawn, not its lower-left quarter at
// twice the size: a picture of four coloured quarters shows all four.
TEST(Player, FullScreenShowsTheWholeFrameAtItsOwnSize) {
    REQUIRE_DISPLAY();
    ShowDir show;
    ASSERT_TRUE(convertTo(show.data() + "/quarters.jpg",
                          "-size 320x240 xc:red xc:lime +append \\( -size 320x240 xc:blue xc:yellow +append \\) -append"));
    show.writeScript("Default 640x480\n@sync\n0 track 1 type 1 object quarters.jpg move 0 0 duration 60.0\n@end\n");
    Player player;
    std::vector<std::string> env = kQuiet;
    env.push_back("SDL12COMPAT_OPENGL_SCALING");  // unset: the player's own choice
    ASSERT_TRUE(player.start(show.path(), {}, env));
    const unsigned long window = player.window();
    ASSERT_NE(window, 0u) << player.errorOutput();
    Picture p;
    bool whole = false;
    auto near = [](const Rgb& c, const Rgb& want) { return bool(colorNear(c, want, 40)); };
    for (int i = 0; i < 40 && !whole; i++, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
        ASSERT_TRUE(grabWindow(window, p));
        ASSERT_EQ(p.width, 640);
        ASSERT_EQ(p.height, 480);
        // From the top left: red, lime; blue, yellow.
        whole = near(meanColour(p, 140, 100, 40, 40), {255, 0, 0}) && near(meanColour(p, 460, 100, 40, 40), {0, 255, 0}) &&
                near(meanColour(p, 140, 340, 40, 40), {0, 0, 255}) && near(meanColour(p, 460, 340, 40, 40), {255, 255, 0});
    }
    const Rgb c = meanColour(p, 460, 100, 40, 40);
    EXPECT_TRUE(whole) << "the top right quarter is (" << c[0] << ", " << c[1] << ", " << c[2] << ")";
    ASSERT_TRUE(sendKey(window, "Escape"));
    EXPECT_EQ(player.wait(10), 0);
}

TEST(Player, EscapeEndsTheShowOtherKeysDoNot) {
    REQUIRE_DISPLAY();
    ShowDir show;
    show.writeScript(kWindowedShow);
    Player player;
    ASSERT_TRUE(player.start(show.path(), {}, kQuiet));
    const unsigned long window = player.window();
    ASSERT_NE(window, 0u) << player.errorOutput();
    ASSERT_TRUE(sendKey(window, "a Return space F1"));
    sleepMs(500);
    EXPECT_TRUE(player.running());
    ASSERT_TRUE(sendKey(window, "Escape"));
    EXPECT_EQ(player.wait(10), 0);
    EXPECT_EQ(player.errorOutput(), "");
}

TEST(Player, ClosingTheWindowEndsTheShow) {
    REQUIRE_DISPLAY();
    ShowDir show;
    show.writeScript(kWindowedShow);
    Player player;
    ASSERT_TRUE(player.start(show.path(), {}, kQuiet));
    const unsigned long window = player.window();
    ASSERT_NE(window, 0u) << player.errorOutput();
    ASSERT_TRUE(sendCloseRequest(window));
    EXPECT_EQ(player.wait(10), 0);
}

// SDL keeps 128 pending events and drops the rest: taking one per frame would
// leave an Escape behind a motion flood for a long time, or lose it.
TEST(Player, EscapeBehindAFloodOfMotionStillEndsTheShow) {
    REQUIRE_DISPLAY();
    ShowDir show;
    show.writeScript(kWindowedShow);
    Player player;
    ASSERT_TRUE(player.start(show.path(), {}, kQuiet));
    const unsigned long window = player.window();
    ASSERT_NE(window, 0u) << player.errorOutput();
    ASSERT_TRUE(floodMotion(window, 5000));
    ASSERT_TRUE(sendKey(window, "Escape"));
    EXPECT_EQ(player.wait(10), 0);

    Player again;
    ASSERT_TRUE(again.start(show.path(), {}, kQuiet));
    const unsigned long second = again.window();
    ASSERT_NE(second, 0u);
    ASSERT_TRUE(floodMotion(second, 5000));
    ASSERT_TRUE(sendCloseRequest(second));
    EXPECT_EQ(again.wait(10), 0);
}

TEST(Player, ArgumentsChangeNothing) {
    REQUIRE_DISPLAY();
    ShowDir show;
    show.writeScript("Default !fullscreen 800x600\n@sync\n@end\n");
    Player player;
    ASSERT_TRUE(player.start(show.path(), {"--help", "1024x768", "data/other.txt"}, kQuiet));
    const unsigned long window = player.window();
    ASSERT_NE(window, 0u) << player.errorOutput();
    int width = 0, height = 0;
    ASSERT_TRUE(windowSize(window, width, height));
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    ASSERT_TRUE(sendKey(window, "Escape"));
    EXPECT_EQ(player.wait(10), 0);
}

// No display is needed: the script is read before the window opens.
TEST(Player, MissingScriptIsReportedWithStatusOne) {
    ShowDir show;
    Player player;
    ASSERT_TRUE(player.start(show.path(), {}, kQuiet));
    EXPECT_EQ(player.wait(10), 1);
    EXPECT_EQ(player.errorOutput(), "korvane: cannot open data/script.txt: No such file or directory\n");

    ShowDir empty;
    std::filesystem::remove(empty.data());
    Player noData;
    ASSERT_TRUE(noData.start(empty.path(), {}, kQuiet));
    EXPECT_EQ(noData.wait(10), 1);

    // A pipe would block the open until something writes to it.
    ASSERT_EQ(mkfifo((show.data() + "/script.txt").c_str(), 0644), 0);
    Player pipe;
    ASSERT_TRUE(pipe.start(show.path(), {}, kQuiet));
    EXPECT_EQ(pipe.wait(20), 1);
    EXPECT_EQ(pipe.errorOutput(), "korvane: cannot open data/script.txt: not a plain file (a named pipe)\n");
}

// Without a display the show would play unseen: the player says so and
// names the tool that renders a show without one.
TEST(Player, NoDisplayIsAnErrorUnlessAVideoDriverIsChosen) {
    ShowDir show;
    show.writeScript("Default !fullscreen\n@sync\n0 track 1 duration 100\n300 end\n@end\n");
    Player player;
    ASSERT_TRUE(player.start(show.path(), {}, {"SDL_AUDIODRIVER=dummy", "DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}));
    EXPECT_EQ(player.wait(20), 1);
    EXPECT_EQ(player.errorOutput(),
              "korvane: no display (DISPLAY is not set); korvane-capture renders a show without one, for instance "
              "korvane-capture --video show.mp4\n");

    // A driver chosen on purpose is taken as it is: the offscreen one plays the show to its end.
    Player offscreen;
    ASSERT_TRUE(offscreen.start(show.path(), {}, {"SDL_AUDIODRIVER=dummy", "DISPLAY", "SDL_VIDEODRIVER=offscreen"}));
    EXPECT_EQ(offscreen.wait(30), 0) << offscreen.errorOutput();
}
