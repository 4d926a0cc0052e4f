// Music that lies, as the four tools meet it: the player (the real binary,
// its audio written by SDL's disk driver), the checker, the capture and the
// preview's decode. Each runs under a time and a memory limit. Files no
// music has are refused by all four with one reason; modules that the
// player's old library refused play in all four.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "music_decode.h"
#include "support/capture_run.h"
#include "support/check_run.h"
#include "support/limits.h"
#include "support/music_modules.h"
#include "support/player.h"
#include "support/showdir.h"

namespace {

// A minute, and 2 GB of address space (the player maps about 0.9 GB).
std::string limits() { return boundedCommand(60, 2000); }

void put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; i++) bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

// The checksum of an Ogg page: polynomial 0x04c11db7, most significant bit first.
uint32_t oggCrc(const std::string& page) {
    uint32_t crc = 0;
    for (unsigned char byte : page) {
        crc ^= uint32_t(byte) << 24;
        for (int bit = 0; bit < 8; bit++) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

// A real Ogg Vorbis file whose identification header claims another rate and
// channel count, with its page's checksum made right again. The first page
// holds that header alone: "\x01vorbis", version, channels, rate.
std::string lyingOgg(std::string ogg, uint32_t rate, uint8_t channels) {
    const size_t segments = uint8_t(ogg.at(26));
    const size_t packet = 27 + segments;
    size_t pageEnd = packet;
    for (size_t i = 0; i < segments; i++) pageEnd += uint8_t(ogg.at(27 + i));
    ogg.at(packet + 11) = char(channels);
    put32(ogg, packet + 12, rate);
    put32(ogg, 22, 0);
    put32(ogg, 22, oggCrc(ogg.substr(0, pageEnd)));
    return ogg;
}

// MPEG frame headers with nothing behind them: sox's frame header (MPEG-1
// layer III at 128 kbit/s and 44.1 kHz, unpadded: 417-byte frames), each
// body all ones. libmad played such a file as silence; ffmpeg's decoder
// rejects every frame.
std::string hollowMp3(const std::string& soxMp3, int frames) {
    std::string header = soxMp3.substr(0, 4);
    if (header.size() < 4 || header.compare(0, 2, "\xFF\xFB") != 0 || (uint8_t(header[2]) & 0xFE) != 0x90) return "";
    header[2] = char(0x90);  // unpadded
    std::string mp3;
    for (int i = 0; i < frames; i++) mp3 += header + std::string(417 - 4, '\xFF');
    return mp3;
}

const char* const kShortShow = "Default !fullscreen\n@sync\n0.5 end\n@end\n";

class MusicRobust : public ::testing::Test {
protected:
    void SetUp() override { show.writeScript(kShortShow); }
    std::string music() const { return show.data() + "/" + name; }
    void writeMusic(const std::string& fileName, const std::string& bytes) {
        std::remove(music().c_str());
        name = fileName;
        show.write(name, bytes);
    }

    struct Heard {
        int status = -1;
        std::string errors;
        std::string audio;  // what the audio device was given
    };
    Heard player() const {
        Heard heard;
        const std::string err = show.path() + "/player.err", raw = show.path() + "/player.raw";
        std::remove(raw.c_str());
        heard.status = runCommand("cd '" + show.path() + "' && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + raw + "' " +
                                  limits() + " '" KORVANE_BINARY "' 2> '" + err + "'");
        heard.errors = readFile(err);
        heard.audio = readFile(raw);
        return heard;
    }
    ToolRun capture() const {
        return runCapture({"--dir", show.path(), "--fps", "10", "--size", "64x48", "--video", video}, limits());
    }
    std::string audioStreams() const { return probe(video, "-select_streams a -show_entries stream=index -of csv=p=0"); }
    // The preview's decode in a child given extraMb of memory: the message it
    // gives, or what went wrong when it ended otherwise.
    std::string previewDecode(long extraMb = 1024) const {
        musicProblem(music());  // the decoder's libraries are loaded on first use: here, before the limit
        const BoundedRun run = runBounded(60, extraMb, [&] {
            const DecodedMusic decoded = decodeMusic(music(), false);
            std::fprintf(stderr, "%s", decoded.message.c_str());
            return decoded.pcm.empty() == !decoded.message.empty();
        });
        if (!run.finished) return "ran out of time";
        return run.passed ? run.output : "failed: " + run.output;
    }

    // Every tool calls the music silent for reason, and is.
    void expectSilentEverywhere(const std::string& reason) const {
        const Heard heard = player();
        EXPECT_EQ(heard.status, 0) << heard.errors;
        EXPECT_NE(heard.errors.find("korvane: warning: data/" + name + ": " + reason + "; the show is silent\n"),
                  std::string::npos)
            << heard.errors;
        EXPECT_EQ(heard.audio.find_first_not_of('\0'), std::string::npos) << "the player made a sound";

        const CheckRun check = runCheck(show.path(), "", limits());
        EXPECT_EQ(check.status, 1) << check.errors;
        EXPECT_EQ(check.lines, std::vector<std::string>{"data/" + name + ": error: " + reason + "; the show is silent"});

        const ToolRun video = capture();
        EXPECT_EQ(video.status, 0) << video.errors;
        EXPECT_EQ(video.errors.rfind("korvane-capture: warning: " + music() + ": " + reason + "; the video is silent\n", 0), 0u)
            << video.errors;
        EXPECT_LE(std::count(video.errors.begin(), video.errors.end(), '\n'), 2) << video.errors;  // and its summary
        EXPECT_EQ(audioStreams(), "");

        EXPECT_EQ(previewDecode(), music() + ": " + reason);
    }
    // Every tool plays the music, and it is heard.
    void expectHeardEverywhere() const {
        const Heard heard = player();
        EXPECT_EQ(heard.status, 0) << heard.errors;
        EXPECT_EQ(heard.errors.find("korvane:"), std::string::npos) << heard.errors;  // SDL's disk driver speaks too
        int peak = 0;
        for (size_t i = 0; i + 1 < heard.audio.size(); i += 2)
            peak = std::max(peak, std::abs(int(int16_t(uint8_t(heard.audio[i]) | uint8_t(heard.audio[i + 1]) << 8))));
        EXPECT_GT(peak, 2000) << "the player was silent";

        const CheckRun check = runCheck(show.path(), "", limits());
        EXPECT_EQ(check.status, 0) << check.errors;
        EXPECT_TRUE(check.lines.empty()) << ::testing::PrintToString(check.lines);

        const ToolRun video = capture();
        EXPECT_EQ(video.status, 0) << video.errors;
        EXPECT_EQ(video.errors.find("warning"), std::string::npos) << video.errors;
        EXPECT_EQ(audioStreams(), "1");

        EXPECT_EQ(previewDecode(), "");
    }

    ShowDir show;
    std::string name = "music.ogg";
    std::string video = show.path() + "/show.mp4";
};

// A header that claims a rate of 2^31 - 1 or 2^32 - 1 aborted the player
// inside libvorbis and the preview inside libswresample; a rate of 1 ran the
// preview out of memory and gave the capture 560 s of audio for a 3 s video.
TEST_F(MusicRobust, AbsurdRatesAndChannelCountsAreRefusedByEveryToolForOneReason) {
    REQUIRE_DISPLAY();
    ASSERT_EQ(runCommand("sox -n -r 44100 -c 2 '" + show.path() + "/real.ogg' synth 3 sine 440 2>/dev/null"), 0);
    const std::string real = readFile(show.path() + "/real.ogg");
    const std::string range = "; music files have 8000 to 384000 Hz";
    const struct {
        uint32_t rate;
        uint8_t channels;
        std::string reason;
    } cases[] = {
        {2147483647u, 2, "claims a sample rate of 2147483647 Hz" + range},
        {4294967295u, 2, "gives no sample rate" + range},  // -1 to a signed reader
        {1, 2, "claims a sample rate of 1 Hz" + range},
        {44100, 200, "claims 200 channels; music files have 1 to 8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        writeMusic("music.ogg", lyingOgg(real, c.rate, c.channels));
        expectSilentEverywhere(c.reason);
    }
}

// libmad played it as silence; ffmpeg, given it by the capture, wrote two
// lines for every frame and then failed.
TEST_F(MusicRobust, AnMp3OfFrameHeadersWithNothingBehindThemIsSilentWithAWarning) {
    REQUIRE_DISPLAY();
    ASSERT_EQ(runCommand("sox -n -r 44100 -c 2 '" + show.path() + "/real.mp3' synth 1 sine 440 2>/dev/null"), 0);
    const std::string hollow = hollowMp3(readFile(show.path() + "/real.mp3"), 1000);
    ASSERT_FALSE(hollow.empty()) << "sox wrote another kind of frame header";
    writeMusic("music.mp3", hollow);
    expectSilentEverywhere("holds no sound that can be decoded");
}

// OpenMPT writes XM files of more than 64 channels, and files cut short lose
// the end of their last sample: SDL_mixer's MikMod refused both, so the
// player and the checker called them silent while the capture and the
// preview played them.
TEST_F(MusicRobust, ModulesTheOldLibraryRefusedPlayInEveryTool) {
    REQUIRE_DISPLAY();
    writeMusic("wide.xm", xmModule(100));
    {
        SCOPED_TRACE(name);
        expectHeardEverywhere();
    }
    const std::string it = itModule();
    writeMusic("cut.it", it.substr(0, it.size() - 10));
    {
        SCOPED_TRACE(name);
        expectHeardEverywhere();
    }
}

// A decode that runs out of memory says so; it used to throw out of the
// preview's decoding thread and end the preview. Six minutes of music are
// 63 MB of samples, given 32 MB.
TEST_F(MusicRobust, RunningOutOfMemoryInThePreviewsDecodeIsAMessage) {
    if (!addressSpaceLimitable()) GTEST_SKIP() << "AddressSanitizer reserves more address space than a limit leaves";
    writeMusic("long.xm", xmSteps(72));
    EXPECT_EQ(previewDecode(32), music() + ": not enough memory to decode it");
    EXPECT_EQ(previewDecode(), "");
}

}  // namespace
