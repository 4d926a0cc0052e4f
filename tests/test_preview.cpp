// korvane-preview under X, driven by keys and clicks as an author drives it
// while writing a show in a temporary directory.
#include <gtest/gtest.h>
#include <sys/stat.h>  // Required for: stat, umask

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

#include "arguments.h"
#include "support/capture_run.h"
#include "support/e2e_screen.h"
#include "support/e2e_show.h"
#include "support/player.h"
#include "support/preview_window.h"
#include "support/showdir.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Ten seconds each of red, green and blue over the whole window, then the end.
const char* const kThreeColours =
    "@sync\n"
    "0 track 1 type 1 object red.jpg move 0 0 duration 10.0\n"
    "10.0 track 1 type 1 object green.jpg move 0 0 duration 10.0\n"
    "20.0 track 1 type 1 object blue.jpg move 0 0 duration 10.0\n"
    "30.0 end\n";

// The strip's image bars: the checker's image colour over the strip's dark band.
bool imageBar(const Rgb& c) { return c[2] > c[0] + 40 && c[2] > 110 && c[2] < 200; }

// The pixel row through the strip's one row of bars, or -1.
int stripRow(const Picture& p) {
    for (int y = kHeight - 1; y > kHeight * 3 / 4; y--)
        if (countPixels(p, 0, y, kWidth, 1, imageBar) > kWidth / 2) return y;
    return -1;
}

// A show directory with the three solid pictures, and the preview on it.
class PreviewTest : public ::testing::Test {
protected:
    PreviewTest() : preview(KORVANE_PREVIEW) {
        writeThreeColours(show.data(), kWidth, kHeight);
    }

    // Starts the preview with the script (when not null) and finds its window.
    void start(const char* script, std::vector<std::string> args = {}) {
        if (script) show.writeScript(script);
        args.insert(args.begin(), {".", "--size", kSize});
        ASSERT_TRUE(preview.start(show.path(), args, kQuiet));
        window = preview.window();
        ASSERT_NE(window, 0u) << preview.errorOutput();
    }

    // As editors save: a new file renamed over the script.
    void renameScript(const std::string& text) {
        show.write(".script.txt.new", text);
        fs::rename(show.data() + "/.script.txt.new", show.data() + "/script.txt");
    }

    Picture grab() {
        Picture p;
        EXPECT_TRUE(grabWindow(window, p));
        return p;
    }

    // Grabs until the middle of the window passes test; false after timeout.
    bool waitForPicture(bool (*test)(const Rgb&), double timeoutSeconds) {
        const auto start = Clock::now();
        do {
            Picture p;
            if (grabWindow(window, p) && test(middle(p))) return true;
            sleepMs(50);
        } while (msSince(start) < timeoutSeconds * 1000);
        return false;
    }

    std::string waitForTitle(const std::function<bool(const std::string&)>& done, double timeoutSeconds = 15) {
        return waitForName(window, done, timeoutSeconds);
    }

    // Lets the show play to at least fromMs, then pauses it; the paused title.
    std::string pauseAfter(int fromMs, const std::string& keysFirst = "") {
        waitForTitle([&](const std::string& t) { return titleTime(t) >= fromMs; });
        EXPECT_TRUE(sendKey(window, keysFirst + " space"));
        return waitForTitle([](const std::string& t) { return t.find(" paused") != std::string::npos; });
    }

    // The file S writes of the frame at t, in the directory the preview started in.
    std::string shotPath(int t) const {
        char name[64];
        std::snprintf(name, sizeof name, "/korvane-%d.%03d.png", t / 1000, t % 1000);
        return show.path() + name;
    }

    // Its picture, once it is there.
    Picture shotOf(int t) {
        const std::string path = shotPath(t);
        for (int i = 0; i < 100 && !fs::exists(path); i++) sleepMs(50);
        Picture written;
        EXPECT_TRUE(readPicture(path, written)) << path << " is not there";
        return written;
    }

    // What korvane-capture makes of the show at time (as it is written on its command line).
    Picture captureOf(const std::string& time) {
        const std::string out = show.path() + "/capture.png";
        const ToolRun run = runCapture({"--dir", show.path(), "--size", kSize, "--shot", time, "--out", out});
        EXPECT_EQ(run.status, 0) << run.errors;
        Picture expected;
        EXPECT_TRUE(readPicture(out, expected));
        return expected;
    }

    void quit() {
        ASSERT_TRUE(sendKey(window, "Escape"));
        EXPECT_EQ(preview.wait(10), 0) << preview.errorOutput();
    }

    ShowDir show;
    Player preview;
    unsigned long window = 0;
};

bool paused(const std::string& title) { return title.find(" paused") != std::string::npos; }

TEST_F(PreviewTest, SeekingLandsOnThePictureOfItsTimeAndTheTitleFollows) {
    REQUIRE_DISPLAY();
    start(kThreeColours, {"--at", "15.0"});
    std::string title = waitForTitle([](const std::string& t) { return titleTime(t) >= 15000; });
    EXPECT_LT(titleTime(title), 20000) << title;
    EXPECT_TRUE(waitForPicture(green, 5));

    ASSERT_TRUE(sendKey(window, "Next"));  // Page Down: 10 s on
    title = waitForTitle([](const std::string& t) { return titleTime(t) >= 25000; });
    EXPECT_GE(titleTime(title), 25000) << title;
    EXPECT_TRUE(waitForPicture(blue, 5));

    ASSERT_TRUE(sendKey(window, "Home"));
    title = waitForTitle([](const std::string& t) { return titleTime(t) >= 0 && titleTime(t) < 5000; });
    EXPECT_LT(titleTime(title), 5000) << title;
    EXPECT_TRUE(waitForPicture(red, 5));

    // The end holds the last frame before it instead of quitting.
    ASSERT_TRUE(sendKey(window, "End"));
    title = waitForTitle([](const std::string& t) { return t == "Korvane preview 0:30.000 paused at end"; });
    EXPECT_EQ(title, "Korvane preview 0:30.000 paused at end");
    EXPECT_TRUE(waitForPicture(blue, 5));
    sleepMs(500);
    EXPECT_TRUE(preview.running());
    quit();
}

TEST_F(PreviewTest, PauseHoldsTheFrameAndResumeMovesOn) {
    REQUIRE_DISPLAY();
    // A fade that changes every frame.
    start("@sync\n0 track 1 type 1 object green.jpg move 0 0 opacity 0 to 1 duration 60.0\n");
    const std::string title = pauseAfter(1000, "h");
    ASSERT_TRUE(paused(title)) << title;
    sleepMs(300);
    const Picture before = grab();
    sleepMs(1000);
    const Picture after = grab();
    EXPECT_EQ(windowName(window), title);
    ASSERT_EQ(before.rgb.size(), after.rgb.size());
    EXPECT_TRUE(before.rgb == after.rgb) << "the held frame changed";

    ASSERT_TRUE(sendKey(window, "space"));
    const std::string moving = waitForTitle([&](const std::string& t) { return titleTime(t) > titleTime(title) + 500; });
    EXPECT_GT(titleTime(moving), titleTime(title) + 500) << moving;
    EXPECT_GT(middle(grab())[1], middle(before)[1]);
    quit();
}

TEST_F(PreviewTest, ALoopReturnsToItsStart) {
    REQUIRE_DISPLAY();
    start("@sync\n0 track 1 type 1 object red.jpg move 0 0 duration 1.5\n"
          "1.5 track 1 type 1 object green.jpg move 0 0 duration 10.0\n",
          {"--loop", "1.0", "2.0"});
    const auto start = Clock::now();
    int latest = -1, returns = 0;
    bool sawRed = false, sawGreen = false;
    while (msSince(start) < 6000 && (returns < 2 || !sawRed || !sawGreen)) {
        const int t = titleTime(windowName(window));
        if (t >= 0) {
            EXPECT_GE(t, 1000);
            EXPECT_LT(t, 2300);
            if (latest >= 1600 && t < latest) returns++;
            latest = t;
        }
        const Picture p = grab();
        sawRed = sawRed || red(middle(p));
        sawGreen = sawGreen || green(middle(p));
    }
    EXPECT_GE(returns, 2);
    EXPECT_TRUE(sawRed);
    EXPECT_TRUE(sawGreen);
    quit();
}

TEST_F(PreviewTest, AScriptRenamedOverTheOldOneChangesThePictureWithinASecond) {
    REQUIRE_DISPLAY();
    start("@sync\n0 track 1 type 1 object red.jpg move 0 0 duration 60.0\n");
    const std::string title = pauseAfter(2000);
    ASSERT_TRUE(waitForPicture(red, 5));

    // The picture the old script shows goes in the same save: nothing of the
    // old script may count in the new one's check.
    const auto written = Clock::now();
    fs::remove(show.data() + "/red.jpg");
    renameScript("@sync\n0 track 1 type 1 object blue.jpg move 0 0 duration 60.0\n");
    ASSERT_TRUE(waitForPicture(blue, 5));
    // A second, and room for grabbing the window on a busy machine.
    EXPECT_LT(msSince(written), 1500);
    // It stays paused at the same time.
    EXPECT_EQ(windowName(window), title);
    quit();
}

TEST_F(PreviewTest, AScriptWithAnErrorKeepsTheLastGoodPictureAndShowsTheFinding) {
    REQUIRE_DISPLAY();
    start("@sync\n0 track 1 type 1 object red.jpg move 0 0 duration 60.0\n");
    ASSERT_TRUE(waitForPicture(red, 10));
    auto errorText = [](const Rgb& c) { return c[0] > 200 && c[1] > 90 && c[1] < 140 && c[2] > 80 && c[2] < 125; };
    EXPECT_EQ(countPixels(grab(), 0, 0, kWidth, kHeight / 2, errorText), 0);

    renameScript("@sync\n0 track 1 type 1 object blue.jpg move 0 0 duration 60.0\n"
                 "1.0 track 2 type 1 object missing.jpg\n");
    sleepMs(1500);
    const Picture kept = grab();
    EXPECT_TRUE(red(middle(kept)));
    EXPECT_GT(countPixels(kept, 0, 0, kWidth, kHeight / 2, errorText), 20) << "no finding in the overlay";
    EXPECT_NE(preview.errorOutput().find("data/script.txt:3: error: no image 'missing.jpg' in data"), std::string::npos)
        << preview.errorOutput();
    // A seek back plays the last good version too, not the text now on disk.
    ASSERT_TRUE(sendKey(window, "Home"));
    waitForTitle([](const std::string& t) { return titleTime(t) >= 0 && titleTime(t) < 1000; });
    sleepMs(300);
    EXPECT_TRUE(red(middle(grab())));

    renameScript("@sync\n0 track 1 type 1 object blue.jpg move 0 0 duration 60.0\n");
    ASSERT_TRUE(waitForPicture(blue, 5));
    EXPECT_EQ(countPixels(grab(), 0, 0, kWidth, kHeight / 2, errorText), 0);
    quit();
}

TEST_F(PreviewTest, AClickOnTheTimelineStripSeeksThereAndADragScrubs) {
    REQUIRE_DISPLAY();
    start(kThreeColours);
    pauseAfter(0);
    ASSERT_TRUE(waitForPicture(red, 10));
    // The strip's one row: the image bars from 0 to the end at 30 s.
    const Picture p = grab();
    const int row = stripRow(p);
    ASSERT_GE(row, 0) << "no strip";
    int left = -1, right = -1;
    for (int x = 0; x < kWidth; x++)
        if (imageBar(p.at(x, row))) {
            if (left < 0) left = x;
            right = x;
        }
    ASSERT_TRUE(sendClick(window, left + (right - left) * 5 / 6, row));  // 25 s
    std::string title = waitForTitle([](const std::string& t) { return titleTime(t) >= 20000; });
    EXPECT_NEAR(titleTime(title), 25000, 500) << title;
    EXPECT_TRUE(waitForPicture(blue, 5));
    // Held down there and dragged back to 15 s, up over the picture: the show follows the pointer.
    ASSERT_TRUE(sendDrag(window, left + (right - left) * 5 / 6, row, left + (right - left) / 2, kHeight / 2));
    title = waitForTitle([](const std::string& t) { return titleTime(t) < 20000; });
    EXPECT_NEAR(titleTime(title), 15000, 500) << title;
    EXPECT_TRUE(waitForPicture(green, 5));
    quit();
}

// The frame on screen with the overlay off, and the picture S writes, are
// what korvane-capture makes of the same show time.
TEST_F(PreviewTest, TheHeldFrameAndItsShotAreTheCaptureOfTheirTime) {
    REQUIRE_DISPLAY();
    // A fade, a move and a turn: every millisecond gives another picture.
    const std::string script =
        "@sync\n"
        "0 track 2 type 1 object green.jpg move 0 0 opacity 0.2 to 1 duration 60.0\n"
        "0 track 1 type 1 object red.jpg move 0 0 to 300 200 scale 0.3 0.3 1 angle 0 to 90 rotate 0 0 1 "
        "duration 60.0\n";
    start(script.c_str(), {"--at", "2.0"});
    const std::string title = pauseAfter(3000);
    const int t = titleTime(title);
    ASSERT_GE(t, 3000) << title;

    const std::string capture = show.path() + "/capture.png";
    const ToolRun run = runCapture({"--dir", show.path(), "--size", kSize, "--shot", std::to_string(t), "--out", capture});
    ASSERT_EQ(run.status, 0) << run.errors;
    Picture expected;
    ASSERT_TRUE(readPicture(capture, expected));

    ASSERT_TRUE(sendKey(window, "h"));
    sleepMs(300);
    const Picture onScreen = grab();
    ASSERT_EQ(onScreen.width, expected.width);
    ASSERT_EQ(onScreen.height, expected.height);
    EXPECT_TRUE(onScreen.rgb == expected.rgb) << "the window differs from the capture at " << t << " ms";

    ASSERT_TRUE(sendKey(window, "h s"));
    const std::string shot = shotPath(t);
    EXPECT_TRUE(shotOf(t).rgb == expected.rgb) << "the shot differs from the capture at " << t << " ms";
    // Readable by others as the capture's file is: what the umask leaves of 0666.
    const mode_t mask = umask(0);
    umask(mask);
    struct stat st {};
    ASSERT_EQ(stat(shot.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << std::oct << (st.st_mode & 0777);
    quit();
}

// Played from the start, the tube and a model in front of it (their lines
// and faces close in depth) are the capture of their time; and the frame
// the End key shows is the one korvane-capture --shot writes at the end's
// time.
TEST_F(PreviewTest, TheTubeAndAModelAsPlayedAndTheLastFrameAreTheCaptureOfTheirTime) {
    REQUIRE_DISPLAY();
    copyDemoData(show, false);
    start(
        "@sync\n"
        "0 scene 1 track 2 translate 0 0 -42 angle 0 to 900 rotate 0 0 1 duration 4.0\n"
        "0 track 1 type 0 object torus.3ds translate 0 0 -9 angle 0 to 360 rotate 1 0.6 0.2 duration 4.0\n"
        "4.0 end\n");
    const std::string title = pauseAfter(1500, "h");
    const int t = titleTime(title);
    ASSERT_TRUE(paused(title)) << title;
    ASSERT_TRUE(sendKey(window, "s"));
    const Picture played = shotOf(t);
    const Picture captured = captureOf(std::to_string(t));
    ASSERT_EQ(played.rgb.size(), captured.rgb.size());
    EXPECT_TRUE(played.rgb == captured.rgb) << "the played frame differs from the capture at " << t << " ms";

    ASSERT_TRUE(sendKey(window, "End"));
    waitForTitle([](const std::string& name) { return name.find("paused at end") != std::string::npos; });
    sleepMs(300);
    ASSERT_TRUE(sendKey(window, "s"));
    const Picture last = shotOf(3983);  // the frame before 4.0 s, at 60 frames a second
    EXPECT_TRUE(last.rgb == captureOf("4.0").rgb) << "the last frame differs from the capture's";
    quit();
}

// Started on a show whose script has errors, it says that nothing plays, and
// a picture libjpeg reads only in part is reported as korvane-check does,
// over the picture and in the terminal.
TEST_F(PreviewTest, ABrokenShowAtStartAndAPictureReadInPartAreToldAsTheyAre) {
    REQUIRE_DISPLAY();
    ASSERT_EQ(runCommand("convert -size 256x256 plasma:fractal -seed 7 '" + show.data() + "/cut.jpg' 2>/dev/null"), 0);
    const std::string picture = readFile(show.data() + "/cut.jpg");
    show.write("cut.jpg", picture.substr(0, picture.size() / 2));
    start("@sync\n0 track 1 type 1 object missing.jpg move 0 0 duration 60.0\n");
    auto warningText = [](const Rgb& c) { return c[0] > 230 && c[1] > 190 && c[1] < 235 && c[2] > 50 && c[2] < 110; };
    Picture p;
    for (int i = 0; i < 100 && countPixels(p = grab(), 0, 0, kWidth, kHeight, warningText) <= 20; i++) sleepMs(50);
    EXPECT_GT(countPixels(p, 0, 0, kWidth, kHeight, warningText), 20) << "no warning in the overlay";
    const std::string told = preview.errorOutput();
    EXPECT_NE(told.find("korvane-preview: data/script.txt has errors; nothing plays until they are fixed\n"),
              std::string::npos) << told;
    EXPECT_EQ(told.find("last good version"), std::string::npos) << told;
    EXPECT_NE(told.find("data/script.txt:2: error: no image 'missing.jpg' in data"), std::string::npos) << told;
    EXPECT_NE(told.find("data/cut.jpg: warning: libjpeg reads it only in part (Premature end of JPEG file)"),
              std::string::npos) << told;

    renameScript("@sync\n0 track 1 type 1 object red.jpg move 0 0 duration 60.0\n");
    EXPECT_TRUE(waitForPicture(red, 5));
    quit();
}

// At the "end" it holds the last frame before it, and lists that frame's
// scene, which ends with the show, by its line.
TEST_F(PreviewTest, AtTheEndTheOverlayListsTheScenesOfTheFrameShown) {
    REQUIRE_DISPLAY();
    start("@sync\n0 track 1 type 1 object red.jpg move 0 0 duration 1.0\n1.0 end\n");
    waitForTitle([](const std::string& t) { return t.find("paused at end") != std::string::npos; });
    sleepMs(300);
    const Picture p = grab();
    EXPECT_TRUE(red(middle(p)));
    // The lines of the scenes on screen are light blue.
    auto sceneLine = [](const Rgb& c) { return c[0] > 185 && c[0] < 222 && c[1] > 215 && c[1] < 245 && c[2] > 240; };
    EXPECT_GT(countPixels(p, 0, 0, kWidth, kHeight / 2, sceneLine), 20) << "no scene listed at the end";
    quit();
}

TEST_F(PreviewTest, WithoutAScriptItWaitsForOneAndTheEndDoesNotQuit) {
    REQUIRE_DISPLAY();
    start(nullptr);
    sleepMs(500);
    EXPECT_TRUE(preview.running());
    EXPECT_NE(preview.errorOutput().find("cannot read data/script.txt"), std::string::npos) << preview.errorOutput();

    renameScript("@sync\n0 track 1 type 1 object red.jpg move 0 0 duration 60.0\n1.0 end\n");
    ASSERT_TRUE(waitForPicture(red, 5));
    const std::string title = waitForTitle([](const std::string& t) { return t.find("paused at end") != std::string::npos; });
    EXPECT_EQ(title, "Korvane preview 0:01.000 paused at end");
    EXPECT_TRUE(red(middle(grab())));
    EXPECT_TRUE(preview.running());
    ASSERT_TRUE(sendCloseRequest(window));
    EXPECT_EQ(preview.wait(10), 0) << preview.errorOutput();
}

// A key pressed as an author presses it, and when by the test's clock: the
// middle of the command that sent it, give or take half its length.
struct Press {
    Clock::time_point at;
    double withinMs;
};

Press press(unsigned long window, const std::string& key) {
    const auto before = Clock::now();
    EXPECT_EQ(runCommand("xdotool keydown --window " + std::to_string(window) + " " + key + " 2>/dev/null"), 0);
    const auto after = Clock::now();
    runCommand("xdotool keyup " + key + " 2>/dev/null");
    return {before + (after - before) / 2, std::chrono::duration<double, std::milli>(after - before).count() / 2};
}

// A take's two printed lines: where its sync scene starts, and its lengths.
struct Take {
    int start = -1;
    std::vector<int> lengths;
};

// The take printed after the first `skip` ones, waiting for it a while.
Take printedTake(const Player& preview, size_t skip) {
    Take take;
    for (int waited = 0; waited < 5000; waited += 50, sleepMs(50)) {
        std::istringstream out(preview.output());
        size_t seen = 0;
        for (std::string line; std::getline(out, line);) {
            int from = -1;
            char point = 0;
            int marks = 0, seconds = 0, ms = 0;
            if (std::sscanf(line.c_str(), "# %d marks tapped from %d%c%d", &marks, &seconds, &point, &ms) == 4)
                from = seconds * 1000 + ms;
            if (from < 0 || seen++ < skip || !std::getline(out, line)) continue;
            std::istringstream words(line);
            std::string word;
            words >> word;
            EXPECT_EQ(word, "Sync");
            for (std::string track, length; words >> track >> length;) {
                EXPECT_EQ(track, "?");
                int32_t read = -1;
                EXPECT_TRUE(parseShowTime(length, read)) << length;
                take.lengths.push_back(read);
            }
            EXPECT_EQ(int(take.lengths.size()), marks) << line;
            take.start = from;
            return take;
        }
    }
    return take;
}

// Taps in time with a show: the Sync line printed at the end of the take has
// the lengths between the taps (within a frame of the preview, and what
// sending a key takes), and played back (at a frame each millisecond) its
// marks switch the templates exactly at those times. Shift+Enter moves the
// marks to the beats; C copies the beat nearest the playhead.
TEST_F(PreviewTest, TapsMakeASyncLineWhoseMarksFallWhereTheTapsWere) {
    REQUIRE_DISPLAY();
    start(kThreeColours, {"--bpm", "120", "--beat-offset", "0.25"});
    waitForTitle([](const std::string& t) { return titleTime(t) >= 1000; });
    std::vector<Press> taps = {press(window, "t")};
    for (int gap : {450, 700, 550}) {
        std::this_thread::sleep_until(taps.back().at + std::chrono::milliseconds(gap));
        taps.push_back(press(window, "t"));
    }
    ASSERT_TRUE(sendKey(window, "Return"));
    const Take take = printedTake(preview, 0);
    ASSERT_EQ(take.lengths.size(), 3u) << preview.output() << preview.errorOutput();
    std::vector<int> marks = {take.start};
    for (size_t i = 0; i < 3; i++) {
        const double tapped = std::chrono::duration<double, std::milli>(taps[i + 1].at - taps[i].at).count();
        EXPECT_NEAR(take.lengths[i], tapped, 17 + taps[i].withinMs + taps[i + 1].withinMs) << "mark " << i + 1;
        marks.push_back(marks.back() + take.lengths[i]);
    }

    ShowDir played;
    for (const char* name : {"red.jpg", "green.jpg", "blue.jpg"}) played.copy(show.data() + "/" + name, name);
    std::string line = "Sync";
    for (size_t i = 0; i < 3; i++) line += " " + std::to_string(11 + i) + " " + std::to_string(take.lengths[i]);
    played.writeScript(line + "\n@sync\n"
                       "0 track 11 type 1 object red.jpg move 0 0 insync\n"
                       "0 track 12 type 1 object green.jpg move 0 0 insync\n"
                       "0 track 13 type 1 object blue.jpg move 0 0 insync\n" +
                       std::to_string(take.start) + " track 1 type 1 object red.jpg move 0 0 sync 0 duration 10.0\n"
                       "40.0 end\n");
    bool (*const colours[])(const Rgb&) = {red, green, blue, red};
    for (size_t i = 1; i < marks.size(); i++)
        for (int before : {1, 0}) {
            const std::string png = played.path() + "/mark.png";
            const ToolRun run = runCapture({"--dir", played.path(), "--size", kSize, "--fps", "1000", "--shot",
                                            std::to_string(marks[i] - before), "--out", png});
            ASSERT_EQ(run.status, 0) << run.errors;
            Picture p;
            ASSERT_TRUE(readPicture(png, p));
            EXPECT_TRUE(colours[before ? i - 1 : i](middle(p))) << "mark " << i << (before ? ", just before" : "");
        }

    taps = {press(window, "t")};
    for (int gap : {650, 800}) {
        std::this_thread::sleep_until(taps.back().at + std::chrono::milliseconds(gap));
        taps.push_back(press(window, "t"));
    }
    ASSERT_TRUE(sendKey(window, "shift+Return"));
    const Take onBeats = printedTake(preview, 1);
    ASSERT_EQ(onBeats.lengths.size(), 2u) << preview.output();
    EXPECT_EQ((onBeats.start - 250) % 500, 0) << onBeats.start;
    for (int length : onBeats.lengths) EXPECT_EQ(length % 500, 0) << length;

    const size_t printed = preview.output().size();
    ASSERT_TRUE(sendKey(window, "c"));
    ASSERT_TRUE(waitUntil([&] { return preview.output().size() > printed; }, 5));
    sleepMs(100);
    const std::string copied = preview.output().substr(printed);
    int32_t at = -1;
    ASSERT_TRUE(parseShowTime(copied.substr(0, copied.find('\n')), at)) << copied;
    EXPECT_EQ((at - 250) % 500, 0) << copied;
    EXPECT_EQ(clipboardText() + "\n", copied);
    quit();
}

// With a known tempo the strip's rows carry a tick at each beat, brighter
// where a bar starts, at the pixel of its time along the strip.
TEST_F(PreviewTest, TheStripShowsBeatTicksAtTheirTimes) {
    REQUIRE_DISPLAY();
    start(kThreeColours, {"--bpm", "60", "--beat-offset", "0.5", "--at", "29.5"});
    waitForTitle([](const std::string& t) { return t.find("paused at end") != std::string::npos; });
    sleepMs(300);
    const Picture p = grab();
    const int row = stripRow(p);
    ASSERT_GE(row, 0) << "no strip";
    // The bars run from 0, the strip's left end, to the playhead at the end, its right end.
    int left = -1, right = -1;
    for (int x = 0; x < kWidth; x++) {
        if (left < 0 && imageBar(p.at(x, row))) left = x;
        const Rgb c = p.at(x, row);
        if (left >= 0 && c[0] > 200 && c[1] > 200 && c[2] > 200) right = x;
    }
    ASSERT_GT(right, left + 100);
    const int bar = p.at(left + 2, row)[0] + p.at(left + 2, row)[1] + p.at(left + 2, row)[2];
    std::vector<int> ticks;
    for (int x = left; x < right - 2; x++) {
        const Rgb c = p.at(x, row);
        if (c[0] + c[1] + c[2] > bar + 60 && (ticks.empty() || ticks.back() < x - 1)) ticks.push_back(x);
    }
    ASSERT_EQ(ticks.size(), 30u) << ::testing::PrintToString(ticks);
    for (size_t k = 0; k < ticks.size(); k++) {
        EXPECT_NEAR(ticks[k], left + (0.5 + double(k)) * (right - left) / 30.0, 1.0) << "beat " << k;
        const Rgb c = p.at(ticks[k], row);
        EXPECT_EQ(c[0] > 200 && c[1] > 200, k % 4 == 0) << "beat " << k << " starts a bar or not";
    }
    quit();
}

TEST(PreviewCommandLine, HelpNamesEveryOptionAndKeyAndBadOptionsAreRefused) {
    const ToolRun help = runTool(KORVANE_PREVIEW, {"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"--at", "--loop", "--bpm", "--beat-offset", "--size", "--fullscreen", "Space", "Left",
                             "Page Up", "Shift+Left", "Up", "Home", "End", "[", "]", " L ", " R ", " S ", " H ",
                             " F ", " T ", "Enter", "Shift+Enter", " C ", "Shift+C", "Escape", "click", "drag"})
        EXPECT_NE(help.output.find(word), std::string::npos) << word << " is not in:\n" << help.output;

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--at", "soon"}, {"--loop", "2.0", "1.0"}, {"--beat-offset", "500"}, {"--size", "0x0"}, {"a", "b"}}) {
        const ToolRun run = runTool(KORVANE_PREVIEW, args);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_EQ(run.errors.rfind("korvane-preview: ", 0), 0u) << run.errors;
    }
}

}  // namespace
