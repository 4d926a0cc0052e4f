// korvane-capture puts an output under its final name only when it is
// complete, and never in the place of one of the show's own files.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <set>

#include "support/capture_run.h"
#include "support/showdir.h"

namespace fs = std::filesystem;

static const char* kShortShow =
    "Default !fullscreen\n"
    "@sync\n"
    "0 track 1 duration 500\n"
    "500 end\n"
    "@end\n";

// Long enough that a capture of it at 640x480 is still running when the
// test acts on it.
static const char* kLongShow =
    "Default !fullscreen 640x480\n"
    "@sync\n"
    "0 track 1 rotate 0 0 1 0 to 0 0 1 3600 duration 60000\n"
    "60000 end\n"
    "@end\n";

static std::set<std::string> entries(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
    return names;
}

static void expectFailure(const ToolRun& run, const std::string& message) {
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("korvane-capture: " + message), std::string::npos) << run.errors;
}

TEST(CaptureOutputs, AnInputUnderAnotherSpellingIsNeverWritten) {
    ShowDir show;
    show.writeScript(kShortShow);
    ASSERT_EQ(runCommand("sox -n -r 22050 -c 1 " + shellQuote(show.data() + "/music.ogg") +
                         " synth 0.5 sine 440 2>/dev/null"),
              0);
    show.write("frame-000000.png", "a picture of the show");
    const std::string music = readFile(show.data() + "/music.ogg");
    const std::vector<std::string> small = {"--dir", show.path(), "--size", "32x24", "--fps", "10"};
    auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.begin(), small.begin(), small.end());
        return runCapture(extra);
    };
    expectFailure(with({"--video", show.path() + "/./data/music.ogg"}),
                  "cannot write " + show.path() + "/./data/music.ogg: it is the show's own data/music.ogg");
    expectFailure(with({"--shot", "100", "--out", show.data() + "/../data/script.txt"}),
                  "cannot write " + show.data() + "/../data/script.txt: it is the show's own data/script.txt");
    expectFailure(with({"--frames", show.data()}),
                  "cannot write " + show.data() + "/frame-000000.png: it is the show's own data/frame-000000.png");
    EXPECT_EQ(readFile(show.data() + "/music.ogg"), music);
    EXPECT_EQ(readFile(show.data() + "/script.txt"), kShortShow);
    EXPECT_EQ(readFile(show.data() + "/frame-000000.png"), "a picture of the show");
    EXPECT_EQ(entries(show.data()), (std::set<std::string>{"frame-000000.png", "music.ogg", "script.txt"}));
}

// An earlier video of the same name stays as it was, and nothing else is left.
TEST(CaptureOutputs, AFailedCaptureLeavesTheEarlierVideo) {
    ShowDir show;
    show.writeScript(kShortShow);
    const std::string video = show.path() + "/show.mp4";
    show.write("../show.mp4", "an earlier video");
    const std::vector<std::string> args = {"--dir", show.path(), "--size", "32x24", "--fps", "10", "--video", video};

    // --from past the end: no frame to write is an error, not an empty video.
    std::vector<std::string> late = args;
    late.insert(late.end(), {"--from", "2000"});
    expectFailure(runCapture(late), "the show ends at 500 ms, before --from 2000 ms: no frame was written");
    expectFailure(runCapture({"--dir", show.path(), "--fps", "10", "--from", "2000", "--frames", show.path() + "/f"}),
                  "the show ends at 500 ms, before --from 2000 ms: no frame was written");

    show.write("broken.jpg", std::string("\xff\xd8\xff\xe0 not a picture", 18));
    const ToolRun corrupt = runCapture(args);
    EXPECT_EQ(corrupt.status, 1) << corrupt.errors;
    EXPECT_EQ(readFile(video), "an earlier video");
    std::error_code ec;
    fs::remove(show.path() + "/f", ec);  // made for the frames, and empty
    EXPECT_EQ(entries(show.path()), (std::set<std::string>{"data", "show.mp4"}));
}

TEST(CaptureOutputs, AnInterruptLeavesTheEarlierVideoAndOnlyWholeFrames) {
    ShowDir show;
    show.writeScript(kLongShow);
    const std::string video = show.path() + "/show.mp4";
    show.write("../show.mp4", "an earlier video");
    {
        CaptureJob job({"--dir", show.path(), "--video", video});
        // ffmpeg has started once its file appears beside the earlier one (or in its place).
        ASSERT_TRUE(waitUntil([&] { return entries(show.path()).size() > 2 || readFile(video) != "an earlier video"; },
                              30));
        job.signal(SIGINT);
        EXPECT_EQ(job.wait(30), 128 + SIGINT) << job.errors();
    }
    EXPECT_EQ(readFile(video), "an earlier video");
    EXPECT_EQ(entries(show.path()), (std::set<std::string>{"data", "show.mp4"}));

    const std::string frames = show.path() + "/frames";
    {
        CaptureJob job({"--dir", show.path(), "--threads", "2", "--frames", frames});
        ASSERT_TRUE(waitUntil([&] { return fs::exists(frames + "/frame-000008.png"); }, 30));
        job.signal(SIGINT);
        EXPECT_EQ(job.wait(30), 128 + SIGINT) << job.errors();
    }
    // Every file is a frame that ends with its IEND chunk.
    const std::string iend("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    for (const std::string& name : entries(frames)) {
        SCOPED_TRACE(name);
        EXPECT_EQ(name.size(), 16u);
        EXPECT_EQ(name.compare(0, 6, "frame-"), 0);
        const std::string bytes = readFile(frames + "/" + name);
        EXPECT_TRUE(bytes.size() > iend.size() && bytes.compare(bytes.size() - iend.size(), iend.size(), iend) == 0);
    }
}

TEST(CaptureOutputs, AnOutputDirectoryRemovedMidRunIsAnError) {
    ShowDir show;
    show.writeScript(kLongShow);
    const std::string out = show.path() + "/out";
    fs::create_directory(out);
    CaptureJob job({"--dir", show.path(), "--to", "15000", "--video", out + "/show.mp4"});
    // Removed once ffmpeg has begun writing the file.
    auto writing = [&] {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(out, ec))
            if (entry.file_size(ec) > 0 && !ec) return true;
        return false;
    };
    ASSERT_TRUE(waitUntil(writing, 30));
    fs::remove_all(out);
    EXPECT_EQ(job.wait(120), 1);
    EXPECT_NE(job.errors().find("korvane-capture: cannot write " + out + "/show.mp4: No such file or directory"),
              std::string::npos)
        << job.errors();
}
