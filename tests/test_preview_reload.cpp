// korvane-preview taking in what changes under it, as an author's saves and
// file managers change a show: each run under a time and a memory limit.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "support/capture_run.h"
#include "support/e2e_screen.h"
#include "support/limits.h"
#include "support/player.h"
#include "support/preview_window.h"
#include "support/showdir.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const long kMemoryMb = 3072;

// A script showing one picture over the whole window for a minute.
std::string showing(const std::string& picture) {
    return "@sync\n0 track 1 type 1 object " + picture + " move 0 0 duration 60.0\n";
}

// Statements after the first minute, never reached, that are slow to check:
// long ones, many clauses each (about 1 KB a statement).
std::string slowToCheck(size_t kilobytes) {
    std::string text;
    const std::string clauses = " move 0 0 to 10 10 opacity 0 to 1";
    for (size_t i = 0; i < kilobytes; i++) {
        text += std::to_string(100 + i) + ".0 track 9 type 1 object red.jpg duration 1.0";
        for (int c = 0; c < 30; c++) text += clauses;
        text += "\n";
    }
    return text;
}

// The same with an error on its last line: it is kept, never played.
std::string withError(const std::string& script) { return script + "99999.0 track 2 type 1 object missing.jpg\n"; }

// The preview on the show in dir (data/ under it) with three solid pictures
// of the window's size.
class PreviewReload : public ::testing::Test {
protected:
    PreviewReload() : preview(KORVANE_PREVIEW) { preview.limitMemory(kMemoryMb); }

    static void pictures(const std::string& data) { writeThreeColours(data, kWidth, kHeight); }

    void start(std::vector<std::string> args = {".", "--size", kSize}) {
        ASSERT_TRUE(preview.start(show.path(), args, kQuiet));
        window = preview.window();
        ASSERT_NE(window, 0u) << preview.errorOutput();
    }

    // As editors save: a new file renamed over the script.
    void renameScript(const std::string& text, const std::string& data) {
        const std::string fresh = data + "/.script.txt.new";
        {
            std::FILE* f = std::fopen(fresh.c_str(), "wb");
            ASSERT_TRUE(f);
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        fs::rename(fresh, data + "/script.txt");
    }

    Rgb middleNow() {
        Picture p;
        return grabWindow(window, p) ? middle(p) : Rgb{-1, -1, -1};
    }

    bool waitForPicture(bool (*test)(const Rgb&), double timeoutSeconds) {
        const auto start = Clock::now();
        do {
            if (test(middleNow())) return true;
            sleepMs(50);
        } while (msSince(start) < timeoutSeconds * 1000);
        return false;
    }

    void quit() {
        ASSERT_TRUE(sendKey(window, "Escape"));
        EXPECT_EQ(preview.wait(20), 0) << preview.errorOutput();
    }

    ShowDir show;
    Player preview;
    unsigned long window = 0;
};

// A save of a script with errors landing between the check of a good one
// and its taking: the preview used to read the file twice and could play the
// bad text unchecked, and then kept it when the good one came back.
TEST_F(PreviewReload, TheBytesCheckedAreTheBytesPlayed) {
    REQUIRE_DISPLAY();
    pictures(show.data());
    const std::string padding = slowToCheck(1000);
    const std::string good = showing("blue.jpg") + padding;
    const std::string bad = withError(showing("green.jpg") + padding);
    show.writeScript(showing("red.jpg"));
    start();
    ASSERT_TRUE(waitForPicture(red, 10));
    bool sawGreen = false;
    for (int round = 0; round < 8; round++) {
        renameScript(good, show.data());
        sleepMs(100);
        renameScript(bad, show.data());
        sleepMs(700);
        sawGreen = sawGreen || green(middleNow());
    }
    EXPECT_FALSE(sawGreen) << "a script with errors played";
    renameScript(good, show.data());
    EXPECT_TRUE(waitForPicture(blue, 10)) << "the good script did not come back";
    quit();
}

// A large script (40 MB) is checked beside the window: the show goes on
// playing the last good version, and Escape ends the preview at once
// instead of after the check.
TEST_F(PreviewReload, TheWindowPlaysOnAndAnswersEscapeWhileAScriptIsChecked) {
    REQUIRE_DISPLAY();
    pictures(show.data());
    show.writeScript(showing("red.jpg"));
    start();
    ASSERT_TRUE(waitForPicture(red, 10));
    renameScript(withError(showing("blue.jpg") + slowToCheck(40 * 1024)), show.data());
    sleepMs(300);
    const int before = titleTime(windowName(window));
    sleepMs(1000);
    const int after = titleTime(windowName(window));
    EXPECT_GE(after - before, 500) << "frames stopped while the script was checked";
    EXPECT_TRUE(red(middleNow()));
    ASSERT_TRUE(sendKey(window, "Escape"));
    EXPECT_EQ(preview.wait(20), 0) << preview.errorOutput();
    // The check's finding would have been reported had Escape waited for it.
    EXPECT_EQ(preview.errorOutput().find("missing.jpg"), std::string::npos) << "Escape waited for the check";
}

// Every picture of data/ changed at once (a checkout, a batch export): the
// reload costs no more than twice what a fresh load of the show does (about
// half of it here). It grew with the square of the pictures: five times a
// fresh load for these 6,000.
TEST_F(PreviewReload, ReloadingEveryPictureCostsAboutAFreshLoad) {
    REQUIRE_DISPLAY();
    const int kPictures = 6000;
    writeSolidJpeg(show.data() + "/p10000.jpg", kWidth, kHeight, "rgb(230,20,20)");
    writeSolidJpeg(show.path() + "/small.jpg", 8, 8, "rgb(20,20,230)");
    for (int i = 1; i < kPictures; i++)
        fs::copy_file(show.path() + "/small.jpg", show.data() + "/p" + std::to_string(10000 + i) + ".jpg");
    show.writeScript(showing("p10000.jpg"));
    // A fresh load of the show: korvane-capture's, which is linear.
    double freshMs = 1e9;
    for (int run = 0; run < 2; run++) {
        const auto begin = Clock::now();
        const ToolRun capture = runCapture({"--dir", show.path(), "--size", kSize, "--shot", "0", "--out",
                                            show.path() + "/fresh.png"},
                                           boundedCommand(120, kMemoryMb));
        ASSERT_EQ(capture.status, 0) << capture.errors;
        freshMs = std::min(freshMs, msSince(begin));
    }
    start({".", "--size", kSize, "--stats"});
    ASSERT_TRUE(waitForPicture(red, 30)) << preview.errorOutput();
    const auto now = fs::file_time_type::clock::now();
    for (int i = 0; i < kPictures; i++) fs::last_write_time(show.data() + "/p" + std::to_string(10000 + i) + ".jpg", now);
    double reloadMs = -1;
    waitUntil(
        [&] {
            const std::string out = preview.errorOutput();
            const size_t at = out.find("(checks and loads ");
            if (at != std::string::npos) reloadMs = std::atof(out.c_str() + at + 18);
            return reloadMs >= 0;
        },
        120);
    ASSERT_GE(reloadMs, 0) << "no reload in:\n" << preview.errorOutput();
    EXPECT_LT(reloadMs, 2 * freshMs) << "a fresh load takes " << freshMs << " ms";
    quit();
}

// The show directory renamed away and another put in its place, then
// removed and made again: the preview follows its path, as an editor
// follows a file saved under a new inode.
TEST_F(PreviewReload, TheShowDirectoryReplacedUnderItsPathIsFollowed) {
    REQUIRE_DISPLAY();
    const std::string piece = show.path() + "/piece";
    auto makeShow = [&](const std::string& dir, const char* picture) {
        fs::create_directories(dir + "/data");
        pictures(dir + "/data");
        renameScript(showing(picture), dir + "/data");
    };
    makeShow(piece, "red.jpg");
    start({"piece", "--size", kSize});
    ASSERT_TRUE(waitForPicture(red, 10));

    makeShow(show.path() + "/piece.new", "blue.jpg");
    fs::rename(piece, show.path() + "/piece.old");
    fs::rename(show.path() + "/piece.new", piece);
    EXPECT_TRUE(waitForPicture(blue, 10)) << "the replaced directory was not followed";

    fs::remove_all(piece);
    sleepMs(200);
    makeShow(piece, "green.jpg");
    EXPECT_TRUE(waitForPicture(green, 10)) << "the directory made again was not followed";
    quit();
}

// The window's GL context would take any size and compose in gigabytes; the
// preview keeps to the sizes korvane-capture renders, with its message.
TEST(PreviewSize, ASizeBeyondTheContextIsRefusedAsTheCaptureRefusesIt) {
    REQUIRE_DISPLAY();
    ShowDir show;
    show.writeScript("@sync\n0 scene 1 track 1 duration 500\n");
    const ToolRun preview = runTool(KORVANE_PREVIEW, {show.path(), "--size", "16384x16384"},
                                    "SDL_AUDIODRIVER=dummy " + boundedCommand(30, 2048));
    EXPECT_EQ(preview.status, 1);
    const ToolRun capture =
        runCapture({"--dir", show.path(), "--size", "16384x16384", "--to", "100", "--null"}, boundedCommand(30, 2048));
    const size_t limit = capture.errors.find("the largest it takes is ");
    ASSERT_NE(limit, std::string::npos) << capture.errors;
    EXPECT_NE(preview.errors.find("korvane-preview: no GL context of 16384x16384: " + capture.errors.substr(limit)),
              std::string::npos)
        << preview.errors;
}

}  // namespace
