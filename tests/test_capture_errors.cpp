// korvane-capture refuses what it cannot do, with a message and status 1,
// before any long work.
#include <gtest/gtest.h>
#include <sys/stat.h>  // Required for: mkfifo

#include <filesystem>

#include "support/capture_run.h"
#include "support/showdir.h"

namespace fs = std::filesystem;

static const char* kEndingShow =
    "Default !fullscreen\n"
    "@sync\n"
    "0 scene 1 track 1 duration 500\n"
    "500 end\n"
    "@end\n";

static void expectFailure(const ToolRun& run, const std::string& message) {
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("korvane-capture: " + message), std::string::npos) << run.errors;
}

TEST(CaptureErrors, HelpPrintsUsage) {
    const ToolRun run = runCapture({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("Usage: korvane-capture"), std::string::npos);
    EXPECT_NE(run.output.find("--video FILE"), std::string::npos);
}

// A time under 100 without a point is milliseconds: the help and a warning
// say so, and nothing else is warned about.
TEST(CaptureErrors, ShortTimesWithoutAPointAreMilliseconds) {
    EXPECT_NE(runCapture({"--help"}).output.find("--shot 5 is the frame at 5 ms"), std::string::npos);
    ShowDir show;
    show.writeScript(kEndingShow);
    const std::string png = show.path() + "/shot.png";
    ToolRun run = runCapture({"--dir", show.path(), "--shot", "5", "--out", png});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("korvane-capture: warning: --shot 5 is 5 ms; write 5.0 for 5 seconds"), std::string::npos)
        << run.errors;
    for (const char* quiet : {"0", "100", "0.05"}) {
        run = runCapture({"--dir", show.path(), "--shot", quiet, "--out", png});
        EXPECT_EQ(run.errors.find("warning"), std::string::npos) << quiet << ": " << run.errors;
    }
}

TEST(CaptureErrors, MissingScript) {
    ShowDir show;  // data/ but no script.txt
    expectFailure(runCapture({"--dir", show.path(), "--null"}),
                  "cannot open " + show.path() + "/data/script.txt: No such file or directory");
    expectFailure(runCapture({"--dir", show.path() + "/none", "--null"}), "cannot enter " + show.path() + "/none");
    // A pipe would block the open until something writes to it.
    ASSERT_EQ(mkfifo((show.data() + "/script.txt").c_str(), 0644), 0);
    expectFailure(runCapture({"--dir", show.path(), "--null"}, "timeout 20"),
                  "cannot open " + show.path() + "/data/script.txt: not a plain file (a named pipe)");
}

TEST(CaptureErrors, BadOptionValues) {
    ShowDir show;
    show.writeScript(kEndingShow);
    const std::vector<std::vector<std::string>> cases = {
        {"--size", "640"},    {"--size", "640x"},  {"--size", "x480"},    {"--size", "0x480"},
        {"--size", "64*48"},  {"--size", "6ax48"}, {"--size", "99999x2"}, {"--fps", "0"},
        {"--fps", "2.5"},     {"--fps", "-3"},     {"--from", "-1"},      {"--to", "1.2.3"},
        {"--to", "ten"},      {"--shot", ""},      {"--from", "9999999999"}, {"--resolution", "1920"},
        {"--crf", "52"},      {"--preset", "quick"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--dir", show.path(), "--null"};
        args.insert(args.end(), c.begin(), c.end());
        const ToolRun run = runCapture(args);
        EXPECT_EQ(run.status, 1) << c[0] << " " << c[1];
        EXPECT_NE(run.errors.find("bad value for " + c[0]), std::string::npos) << run.errors;
    }
    expectFailure(runCapture({"--dir", show.path(), "--null", "--fps"}), "--fps needs a value");
    expectFailure(runCapture({"--dir", show.path(), "--null", "--speed", "2"}), "unknown option --speed");
    expectFailure(runCapture({"--dir", show.path(), "--null", "--from", "500", "--to", "500"}),
                  "--to must be after --from");
}

TEST(CaptureErrors, OutputsMustBeOneAndComplete) {
    ShowDir show;
    show.writeScript(kEndingShow);
    expectFailure(runCapture({"--dir", show.path()}), "no output");
    expectFailure(runCapture({"--dir", show.path(), "--null", "--frames", show.path() + "/f"}), "choose one output");
    expectFailure(runCapture({"--dir", show.path(), "--shot", "100"}), "--shot needs --out");
    expectFailure(runCapture({"--dir", show.path(), "--null", "--out", "x.png"}), "--out goes with --shot");
    expectFailure(runCapture({"--dir", show.path(), "--shot", "100", "--out", "x.png", "--to", "200"}),
                  "--shot takes no --from or --to");
    expectFailure(runCapture({"--dir", show.path(), "--null", "--fill"}), "--fill goes with --resolution");
    // x264's settings mean nothing to PNG frames or to a VP9 video.
    expectFailure(runCapture({"--dir", show.path(), "--frames", show.path() + "/f", "--preset", "veryfast"}),
                  "--preset and --crf go with an H.264 --video");
    expectFailure(runCapture({"--dir", show.path(), "--video", show.path() + "/v.webm", "--crf", "18"}),
                  "--preset and --crf go with an H.264 --video");
}

TEST(CaptureErrors, UnwritableOutputs) {
    ShowDir show;
    show.writeScript(kEndingShow);
    const std::string file = show.path() + "/plain";
    show.write("../plain", "not a directory");
    // Under a plain file nothing can be made, not even by root.
    expectFailure(runCapture({"--dir", show.path(), "--frames", file + "/frames"}), "cannot make " + file);
    expectFailure(runCapture({"--dir", show.path(), "--frames", file}), "cannot write frames to " + file);
    expectFailure(runCapture({"--dir", show.path(), "--shot", "100", "--out", file + "/x.png"}),
                  "cannot write " + file + "/x.png");
    expectFailure(runCapture({"--dir", show.path(), "--shot", "100", "--out", show.path()}),
                  "cannot write " + show.path() + ": it is a directory");
    expectFailure(runCapture({"--dir", show.path(), "--video", file + "/x.mp4"}), "cannot write " + file + "/x.mp4");
    EXPECT_FALSE(fs::exists(show.path() + "/frames"));
}

TEST(CaptureErrors, VideoWithoutFfmpeg) {
    ShowDir show;
    show.writeScript(kEndingShow);
    const std::string video = show.path() + "/show.mp4";
    expectFailure(runCapture({"--dir", show.path(), "--video", video}, "PATH=" + shellQuote(show.path())),
                  "ffmpeg not found on PATH");
    EXPECT_FALSE(fs::exists(video));
}

// ffmpeg gives up at once on a container it does not know: the capture
// stops with status 1 instead of writing into a closed pipe.
TEST(CaptureErrors, EncoderThatQuits) {
    ShowDir show;
    show.writeScript(kEndingShow);
    const ToolRun run =
        runCapture({"--dir", show.path(), "--size", "32x24", "--fps", "10", "--video", show.path() + "/show.xyz"});
    expectFailure(run, "ffmpeg failed writing " + show.path() + "/show.xyz");
}

TEST(CaptureErrors, AShowThatNeverEndsNeedsTo) {
    ShowDir show;
    show.writeScript("Default !fullscreen\n@sync\n0 scene 1 track 1 duration 500\n@end\n");
    const std::string frames = show.path() + "/frames";
    expectFailure(runCapture({"--dir", show.path(), "--frames", frames}), "the show never ends");
    // With --to it is captured; a shot needs no end either.
    EXPECT_EQ(runCapture({"--dir", show.path(), "--size", "32x24", "--fps", "10", "--to", "300", "--null"}).status,
              0);
    EXPECT_EQ(
        runCapture({"--dir", show.path(), "--size", "32x24", "--shot", "200", "--out", show.path() + "/s.png"}).status,
        0);

    // "end" only as a name: the timeline runs out. The frames up to there
    // are written, and the capture says why it stopped.
    show.writeScript("Default !fullscreen\n@sync\n0 scene 1 track 1 duration 500\n200 track 2 object end\n@end\n");
    const ToolRun run = runCapture({"--dir", show.path(), "--size", "32x24", "--fps", "10", "--frames", frames});
    expectFailure(run, "the timeline ran out at 200 ms without reaching \"end\"");
    EXPECT_TRUE(fs::exists(frames + "/frame-000002.png"));
    EXPECT_FALSE(fs::exists(frames + "/frame-000003.png"));
}

TEST(CaptureErrors, CorruptJpegEndsWithStatusOne) {
    ShowDir show;
    show.writeScript(kEndingShow);
    show.write("broken.jpg", std::string("\xff\xd8\xff\xe0 not a picture", 18));
    const ToolRun run = runCapture({"--dir", show.path(), "--size", "32x24", "--null"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("broken.jpg"), std::string::npos) << run.errors;
}
