// korvane-capture --video: ffmpeg's file as ffprobe reads it: frame count,
// length, and the show's music aligned with show time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "support/capture_run.h"
#include "support/limits.h"
#include "support/showdir.h"

// A one-second show ending with "end", and music that is silent for its
// first half second and a tone for two and a half more.
class CaptureVideo : public ::testing::Test {
protected:
    void SetUp() override {
        writeSolidJpeg(show.data() + "/grey.jpg", 64, 48, "rgb(128,128,128)");
        show.writeScript(
            "Default !fullscreen 640x480\n"
            "@sync\n"
            "0 track 1 type 1 object grey.jpg move 0 0 duration 1.0\n"
            "1.0 end\n"
            "@end\n");
    }
    void addMusic() const {
        ASSERT_EQ(runCommand("sox -n -r 44100 -c 2 " + shellQuote(show.data() + "/music.ogg") +
                             " synth 0.5 sine 440 vol 0 : synth 2.5 sine 440 vol 0.5 2>/dev/null"),
                  0);
    }
    ToolRun capture(const std::vector<std::string>& extra) const {
        std::vector<std::string> args = {"--dir", show.path(), "--fps", "10", "--size", "64x48", "--video", video};
        args.insert(args.end(), extra.begin(), extra.end());
        return runCapture(args);
    }
    double streamDuration(const char* stream) const {
        return std::atof(probe(video, std::string("-select_streams ") + stream +
                                          " -show_entries stream=duration -of csv=p=0")
                             .c_str());
    }
    // Loudest sample of the audio between two times, in dB (about -91 for silence).
    double maxVolume(double from, double length) const {
        const std::string out = show.path() + "/volume.txt";
        std::ostringstream command;
        command << "ffmpeg -v info -nostats -ss " << from << " -t " << length << " -i " << shellQuote(video)
                << " -map 0:a -af volumedetect -f null - 2>" << shellQuote(out);
        if (runCommand(command.str()) != 0) return 1000;
        const std::string text = readFile(out);
        const size_t at = text.find("max_volume:");
        return at == std::string::npos ? 1000 : std::atof(text.c_str() + at + 11);
    }

    ShowDir show;
    std::string video = show.path() + "/show.mp4";
};

TEST_F(CaptureVideo, EndFinishesACompleteFileWithTheMusic) {
    addMusic();
    const ToolRun run = capture({});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(probe(video, "-count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0"), "10");
    EXPECT_EQ(probe(video, "-select_streams v -show_entries stream=width,height,r_frame_rate -of csv=p=0"),
              "64,48,10/1");
    EXPECT_NEAR(streamDuration("v"), 1.0, 0.001);
    // The music is cut to the video's length (to within one audio frame).
    EXPECT_EQ(probe(video, "-select_streams a -show_entries stream=codec_type -of csv=p=0"), "audio");
    EXPECT_NEAR(streamDuration("a"), 1.0, 0.05);
    // Audio time 0 is show time 0: silence first, the tone from 0.5 s.
    EXPECT_LT(maxVolume(0.05, 0.35), -50);
    EXPECT_GT(maxVolume(0.6, 0.3), -20);
}

TEST_F(CaptureVideo, FromStartsTheMusicAtTheFirstFrameWritten) {
    addMusic();
    const ToolRun run = capture({"--from", "0.5"});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(probe(video, "-count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0"), "5");
    EXPECT_NEAR(streamDuration("v"), 0.5, 0.001);
    EXPECT_NEAR(streamDuration("a"), 0.5, 0.05);
    EXPECT_GT(maxVolume(0.05, 0.3), -20) << "the tone, not the silence before 0.5 s";
}

TEST_F(CaptureVideo, NoMusicOrSoundOffGivesASilentVideo) {
    const ToolRun silent = capture({"--to", "300"});
    ASSERT_EQ(silent.status, 0) << silent.errors;
    EXPECT_EQ(probe(video, "-count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0"), "3");
    EXPECT_EQ(probe(video, "-select_streams a -show_entries stream=index -of csv=p=0"), "");

    addMusic();
    show.writeScript(
        "Default !fullscreen !sound\n"
        "@sync\n"
        "0 track 1 type 1 object grey.jpg move 0 0 duration 1.0\n"
        "1.0 end\n"
        "@end\n");
    const ToolRun soundOff = capture({});
    ASSERT_EQ(soundOff.status, 0) << soundOff.errors;
    EXPECT_EQ(probe(video, "-select_streams a -show_entries stream=index -of csv=p=0"), "");
}

TEST_F(CaptureVideo, PicturesSurviveTheEncoding) {
    ASSERT_EQ(capture({}).status, 0);
    const std::string still = show.path() + "/still.png";
    ASSERT_EQ(runCommand("ffmpeg -v error -i " + shellQuote(video) + " -frames:v 1 " + shellQuote(still)), 0);
    Picture p;
    ASSERT_TRUE(readPicture(still, p));
    EXPECT_TRUE(colorNear(p.at(32, 24), {128, 128, 128}, 6));
}

// ffmpeg takes the container from the ending in any case; so does the choice
// of H.264 in 4:2:0, which most players need, and --crf goes with it.
TEST_F(CaptureVideo, EndingsInUpperOrMixedCaseAreH264Too) {
    for (const char* name : {"show.MP4", "show.MOV", "show.Mkv"}) {
        SCOPED_TRACE(name);
        video = show.path() + "/" + name;
        const ToolRun run = runCapture({"--dir", show.path(), "--fps", "10", "--size", "64x48", "--to", "300", "--crf",
                                        "30", "--video", video},
                                       boundedCommand(60, 2048));
        ASSERT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(probe(video, "-select_streams v -show_entries stream=codec_name,pix_fmt -of csv=p=0"), "h264,yuv420p");
    }
}
