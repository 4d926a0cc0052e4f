// The web player as a viewer meets it: the folder korvane-web writes,
// served on 127.0.0.1 and played in Debian's Chromium without a display.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "support/capture_run.h"
#include "support/music_modules.h"
#include "support/showdir.h"
#include "support/web_page.h"

namespace fs = std::filesystem;

namespace {

const std::string kDemo = std::string(KORVANE_SOURCE_DIR) + "/examples/demo";

struct Agreement {
    double within2 = 0;  // share of pixels with every channel within 2 levels
    double boxed = 0;    // the largest channel difference of 8 x 8 means
};

Agreement agreement(const Picture& a, const Picture& b) {
    Agreement result;
    const int w = a.width, h = a.height;
    size_t close = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        bool near = true;
        for (int c = 0; c < 3; c++) near = near && std::abs(a.rgb[i + c] - b.rgb[i + c]) <= 2;
        close += near;
    }
    result.within2 = 100.0 * double(close) / double(size_t(w) * h);
    for (int by = 0; by + 8 <= h; by += 8)
        for (int bx = 0; bx + 8 <= w; bx += 8)
            for (int c = 0; c < 3; c++) {
                int sum = 0;
                for (int y = by; y < by + 8; y++)
                    for (int x = bx; x < bx + 8; x++) {
                        const size_t i = (size_t(y) * w + x) * 3 + c;
                        sum += a.rgb[i] - b.rgb[i];
                    }
                result.boxed = std::max(result.boxed, std::abs(sum) / 64.0);
            }
    return result;
}

class WebPlayer : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_WEB_PLAYER(); }
    // The sample show's folder, written once for the whole suite.
    static const std::string& demoFolder() {
        static ShowDir scratch;
        static const std::string folder = scratch.path() + "/web";
        static const int status = writeWebFolder(kDemo, folder);
        EXPECT_EQ(status, 0);
        return folder;
    }
};

// Ten times that show images fading, blended and masked, the three models
// (textured, masked, sphere mapped), the tube under the sync pulse, the
// wireframe dart and the rotated credits.
TEST_F(WebPlayer, StillFramesAreTheCapturesFrames) {
    const std::vector<std::string> times = {"2.0",  "6.0",  "10.0", "18.0", "25.0",
                                            "31.25", "36.0", "43.5", "46.5", "51.5"};
    ShowDir scratch;
    std::vector<std::string> args = {"frames", demoFolder(), scratch.path()};
    args.insert(args.end(), times.begin(), times.end());
    const PageReport page = drivePage(args);
    ASSERT_EQ(page.at("status"), "0") << page.at("errors");
    for (const std::string& t : times) {
        SCOPED_TRACE("at " + t + " s");
        EXPECT_EQ(page.at("frame-" + t), "ready");
        const std::string shot = scratch.path() + "/capture-" + t + ".png";
        ASSERT_EQ(runCapture({"--dir", kDemo, "--shot", t, "--out", shot}).status, 0);
        Picture web, capture;
        ASSERT_TRUE(readPicture(scratch.path() + "/" + t + ".png", web));
        ASSERT_TRUE(readPicture(shot, capture));
        ASSERT_EQ(web.width, capture.width);
        ASSERT_EQ(web.height, capture.height);
        const Agreement a = agreement(web, capture);
        EXPECT_GE(a.within2, 99.5);
        EXPECT_LE(a.boxed, 10.0);
    }
}

// From 50 s: after 8 s of play the music and the show's clock agree, then
// the show's "end" at 60 s brings the end screen by itself.
TEST_F(WebPlayer, PlaysInStepWithItsMusicToTheEnd) {
    const PageReport playing = drivePage({"play", demoFolder(), "--query", "?t=50.0", "--seconds", "8"});
    ASSERT_EQ(playing.at("status"), "0") << playing.at("errors");
    EXPECT_EQ(playing.at("phase"), "playing");
    EXPECT_NEAR(std::stod(playing.at("clock")), 58000, 500);
    EXPECT_NEAR(std::stod(playing.at("clock")), std::stod(playing.at("music")), 50);
    EXPECT_GT(std::stod(playing.at("peak")), 0.01);

    const PageReport ended = drivePage({"play", demoFolder(), "--query", "?t=58.0", "--until-end", "15"});
    ASSERT_EQ(ended.at("status"), "0") << ended.at("errors");
    EXPECT_EQ(ended.at("phase"), "ended");
    EXPECT_EQ(ended.at("message"), "The end.");
}

// The keys of the preview that a viewer needs: Space pauses, the arrows move
// the paused frame by a second, Escape ends the show.
TEST_F(WebPlayer, KeysPauseMoveAndEndTheShow) {
    const PageReport page = drivePage({"keys", demoFolder()});
    ASSERT_EQ(page.at("status"), "0") << page.at("errors");
    std::istringstream paused(page.at("space"));
    std::string phase;
    int at = 0;
    paused >> phase >> at;
    EXPECT_EQ(phase, "paused");
    EXPECT_GT(at, 10000);
    EXPECT_EQ(page.at("right"), "paused " + std::to_string(at + 1000));
    EXPECT_EQ(page.at("left"), "paused " + std::to_string(at));
    EXPECT_EQ(page.at("left2"), "paused " + std::to_string(at - 1000));
    EXPECT_EQ(page.at("escape").substr(0, 6), "ended ");
}

// No browser decodes a module: korvane-web renders it to Ogg, and the page plays that.
TEST_F(WebPlayer, PlaysXmMusic) {
    ShowDir show;
    show.writeScript("@sync\n0 track 1 type 1 object none.jpg duration 10000\n@end\n");
    show.write("song.xm", xmSteps());
    const std::string folder = show.path() + "/web";
    ASSERT_EQ(writeWebFolder(show.path(), folder), 0);
    EXPECT_TRUE(fs::exists(folder + "/audio/song.xm.ogg"));
    const PageReport page = drivePage({"play", folder, "--seconds", "2"});
    ASSERT_EQ(page.at("status"), "0") << page.at("errors");
    EXPECT_EQ(page.at("phase"), "playing");
    EXPECT_GT(std::stod(page.at("peak")), 0.05);
}

// What stops a show stops it in words on the page, not on a blank canvas.
TEST_F(WebPlayer, SaysWhyAShowCannotPlay) {
    ShowDir scratch;
    const std::string folder = scratch.path() + "/web";
    ASSERT_EQ(writeWebFolder(kDemo, folder), 0);
    {
        // A folder whose script went missing from the server.
        fs::remove(folder + "/data/script.txt");
        std::string list = readFile(folder + "/show.json");
        list = std::regex_replace(list, std::regex(R"(\s*\{"path": "data/script.txt"[^}]*\},?)"), "");
        std::ofstream(folder + "/show.json") << list;
        const PageReport page = drivePage({"open", folder});
        EXPECT_EQ(page.at("phase"), "failed");
        EXPECT_EQ(page.at("message"),
                  "This show cannot play: cannot open data/script.txt: No such file or directory");
    }
    {
        ShowDir show;
        show.writeScript("@sync\n0 track 1 type 1 object a.jpg duration 1000\n@end\n");
        show.write("a.jpg", "\xff\xd8\xff\xe0 not a picture");
        const std::string broken = show.path() + "/web";
        ASSERT_EQ(writeWebFolder(show.path(), broken), 0);
        const PageReport page = drivePage({"open", broken});
        EXPECT_EQ(page.at("phase"), "failed");
        EXPECT_NE(page.at("message").find("This show cannot play: data/a.jpg: "), std::string::npos)
            << page.at("message");
    }
    const PageReport page = drivePage({"open", demoFolder(), "--no-webgl"});
    EXPECT_EQ(page.at("phase"), "failed");
    EXPECT_EQ(page.at("message"), "This show cannot play: this browser cannot draw the show: it has no WebGL");
}

}  // namespace

// The tool itself refuses what would lose the show's files or make a page that cannot play.
TEST(KorvaneWeb, RefusesItsOwnShowDirectoryAndAShowWithoutAScript) {
    ShowDir show;
    show.writeScript("@sync\n0 end\n@end\n");
    std::string errors;
    EXPECT_EQ(writeWebFolder(show.path(), show.path() + "/.", &errors), 1);
    EXPECT_NE(errors.find("OUT_DIR is the show's own directory"), std::string::npos) << errors;
    EXPECT_EQ(readFile(show.data() + "/script.txt"), "@sync\n0 end\n@end\n");

    ShowDir empty;
    EXPECT_EQ(writeWebFolder(empty.path(), empty.path() + "/web", &errors), 1);
    EXPECT_NE(errors.find("cannot read " + empty.path() + "/data/script.txt: No such file or directory"),
              std::string::npos)
        << errors;
}
