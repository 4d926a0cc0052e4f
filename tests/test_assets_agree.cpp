// The player and korvane-check on the same hostile picture: what the checker
// says the player does with it is what the player does.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "support/check_run.h"
#include "support/jpeg_files.h"
#include "support/player.h"
#include "support/showdir.h"

namespace {

// Runs the player in dir under runner; its exit status, with standard error in errors.
int runPlayer(const ShowDir& show, const std::string& runner, std::string& errors) {
    const std::string err = show.path() + "/stderr.txt";
    const int status = runCommand("cd '" + show.path() + "' && SDL_AUDIODRIVER=dummy timeout 60 " + runner + " '" +
                                  KORVANE_BINARY + "' 2> '" + err + "'");
    errors = readFile(err);
    return status;
}

// Root reads files whatever their mode. Without the two capabilities that let
// it, it reads them as their owner would, and a mode of 000 stops it too.
std::string runnerThatHonoursModes() {
    return geteuid() == 0 ? "setpriv --bounding-set=-dac_override,-dac_read_search --" : "";
}

const char* kShortShow = "Default !fullscreen\n@sync\n0 track 1 type 1 object x.jpg center duration 0.2\n0.3 end\n@end\n";

}  // namespace

// A picture the scan lists but cannot open: the player stops with the
// system's reason, as for a picture it cannot decode, and the checker says so.
TEST(HostilePicture, UnreadableStopsThePlayerAndTheCheckerSaysSo) {
    REQUIRE_DISPLAY();
    ShowDir show;
    show.writeScript(kShortShow);
    ASSERT_TRUE(writeCheckJpeg(show.data() + "/x.jpg"));
    ASSERT_EQ(chmod((show.data() + "/x.jpg").c_str(), 0), 0);
    const std::string runner = runnerThatHonoursModes();
    if (runCommand(runner + " cat '" + show.data() + "/x.jpg' > /dev/null 2>&1") == 0)
        GTEST_SKIP() << "a file of mode 000 stays readable here, even under '" << runner << "'";

    std::string errors;
    EXPECT_EQ(runPlayer(show, runner, errors), 1);
    EXPECT_NE(errors.find("korvane: data/x.jpg: Permission denied"), std::string::npos) << errors;

    const CheckRun check = runCheck(show.path(), {}, runner);
    EXPECT_EQ(check.status, 1);
    ASSERT_EQ(check.lines.size(), 1u) << ::testing::PrintToString(check.lines);
    EXPECT_EQ(check.lines[0], "data/x.jpg: error: cannot be read (Permission denied); the player stops at start-up");
}

// A few hundred bytes claiming 23171 x 23171 pixels crashed the player in
// GLU. It plays, with the picture decoded smaller, and the checker says how.
TEST(HostilePicture, HugeClaimedSizePlaysAndTheCheckerSaysAtWhatSize) {
    REQUIRE_DISPLAY();
    ShowDir show;
    show.writeScript(kShortShow);
    ASSERT_TRUE(writeClaimedSizeJpeg(show.data() + "/x.jpg", 23171, 23171));

    std::string errors;
    EXPECT_EQ(runPlayer(show, "", errors), 0) << errors;

    const CheckRun check = runCheck(show.path());
    EXPECT_EQ(check.status, 0);
    ASSERT_EQ(check.lines.size(), 2u) << ::testing::PrintToString(check.lines);
    // Its few hundred bytes hold almost none of the picture.
    EXPECT_EQ(check.lines[0].rfind("data/x.jpg: warning: libjpeg reads it only in part (", 0), 0u) << check.lines[0];
    EXPECT_EQ(check.lines[1],
              "data/x.jpg: warning: picture of 23171 x 23171 pixels is more than a texture holds (16384 in a side, 64 "
              "megapixels); the player loads it at 5793 x 5793 (less where the graphics driver's textures are "
              "smaller)");
}
