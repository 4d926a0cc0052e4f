// The preview's music, as SDL's disk audio driver writes it: after play(T)
// the next audio is the music from show time T, whatever the format.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "audio_out.h"
#include "music_decode.h"
#include "support/music_modules.h"
#include "support/showdir.h"

static const int kBytesPerFrame = 2 * kMusicChannels;

static size_t bytesFor(int ms) { return size_t(ms) * kMusicRate / 1000 * kBytesPerFrame; }

static size_t fileSize(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? size_t(info.st_size) : 0;
}

static std::vector<int16_t> leftChannel(const std::string& raw) {
    std::vector<int16_t> left(raw.size() / kBytesPerFrame);
    for (size_t i = 0; i < left.size(); i++) std::memcpy(&left[i], raw.data() + i * kBytesPerFrame, 2);
    return left;
}

// Frequency by rising zero crossings, with a hysteresis of a fifth of the peak
// so that ripple near zero does not count. 0 for silence.
static double pitch(const std::string& raw) {
    const std::vector<int16_t> left = leftChannel(raw);
    int peak = 0;
    for (int16_t s : left) peak = std::max(peak, std::abs(int(s)));
    if (peak < 500) return 0;
    const int threshold = peak / 5;
    bool low = false;
    long first = -1, last = -1, rises = 0;
    for (size_t i = 0; i < left.size(); i++) {
        if (left[i] < -threshold) low = true;
        if (low && left[i] > threshold) {
            low = false;
            if (first < 0) first = long(i);
            last = long(i);
            rises++;
        }
    }
    return rises < 2 ? 0 : (rises - 1) * double(kMusicRate) / double(last - first);
}

class PreviewAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", raw().c_str(), 1);
    }
    void TearDown() override {
        audio.close();
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }
    std::string file(const std::string& name) const { return show.data() + "/" + name; }
    std::string raw() const { return show.path() + "/out.raw"; }

    // A tone a second, at the step modules' pitches.
    bool soxSteps(const std::string& name, bool descending = false) const {
        std::string command = "sox -n -r 44100 -c 2 '" + file(name) + "'";
        for (int k = 0; k < kStepSeconds; k++) {
            const int step = descending ? kStepSeconds - 1 - k : k;
            command += (k ? " : " : " ") + std::string("synth 1 sine ") + std::to_string(stepFrequency(step));
        }
        return runCommand(command + " 2>/dev/null") == 0;
    }
    bool openAndWait(const std::string& path) {
        audio.open(path);
        for (int waited = 0; !audio.ready() && waited < 20000; waited += 10) SDL_Delay(10);
        return audio.ready();
    }
    // What the device writes from just before action until lengthMs after it.
    struct Written {
        std::string bytes;
        size_t atCall;  // how much of it was in the file when action returned
        // lengthMs of it from ms after the call: far enough on that it was mixed after the call.
        std::string after(int ms, int lengthMs) const { return bytes.substr(atCall + bytesFor(ms), bytesFor(lengthMs)); }
    };
    Written audioAfter(const std::function<void()>& action, int lengthMs) {
        const size_t before = fileSize(raw());
        action();
        const size_t atCall = fileSize(raw()) - before;
        const size_t end = before + atCall + bytesFor(lengthMs);
        for (int waited = 0; fileSize(raw()) < end && waited < 10000; waited += 5) SDL_Delay(5);
        return Written{readFile(raw()).substr(before, end - before), atCall};
    }

    ShowDir show;
    AudioOut audio;
};

// Backwards and forwards, in every format: the written audio sounds at the
// pitch of the second played, and is the decoded music from that very sample
// within a few buffers of the call.
TEST_F(PreviewAudioTest, AfterPlayTheNextAudioIsTheMusicOfThatShowTime) {
    ASSERT_TRUE(soxSteps("steps.ogg"));
    ASSERT_TRUE(soxSteps("steps.mp3"));
    show.write("steps.xm", xmSteps());
    show.write("steps.it", itSteps());
    for (const char* name : {"steps.ogg", "steps.xm", "steps.it", "steps.mp3"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(openAndWait(file(name))) << audio.error();
        EXPECT_EQ(audio.error(), "");
        const std::vector<int16_t> pcm = decodeMusic(file(name), false).pcm;
        for (int at : {2200, 500, 4100, 3150}) {
            SCOPED_TRACE(at);
            const Written next = audioAfter([&] { audio.play(at); }, 300);
            // 60 ms on, past a buffer mixed before the call and what stdio still held.
            EXPECT_NEAR(pitch(next.after(60, 240)), stepFrequency(at / 1000), stepFrequency(at / 1000) * 0.04);
            const size_t from = size_t(at) * kMusicRate / 1000 * kMusicChannels;
            const std::string expected(reinterpret_cast<const char*>(pcm.data() + from), 2048);
            const size_t found = next.bytes.find(expected);
            // After at most one buffer mixed before the call and stdio's 4 KiB.
            EXPECT_LE(found, next.atCall + 2048 + 4096) << "the music from frame " << from / 2;
            EXPECT_EQ(found % kBytesPerFrame, 0u);
        }
    }
}

TEST_F(PreviewAudioTest, PauseIsSilentAndPlayGoesOnFromTheGivenTime) {
    ASSERT_TRUE(soxSteps("steps.ogg"));
    ASSERT_TRUE(openAndWait(file("steps.ogg")));
    audio.play(1000);
    EXPECT_TRUE(audio.playing());
    const std::string paused = audioAfter([&] { audio.pause(); }, 360).after(60, 300);
    EXPECT_FALSE(audio.playing());
    EXPECT_EQ(paused.find_first_not_of('\0'), std::string::npos);
    const std::string resumed = audioAfter([&] { audio.play(3300); }, 360).after(60, 300);
    EXPECT_NEAR(pitch(resumed), stepFrequency(3), stepFrequency(3) * 0.04);
    // Beyond the end of the music: silence.
    const std::string beyond = audioAfter([&] { audio.play(kStepSeconds * 1000 + 10); }, 260).after(60, 200);
    EXPECT_EQ(beyond.find_first_not_of('\0'), std::string::npos);
}

// Playing from before the music is ready, the music comes in at the show
// time it has then reached, not at its beginning. Here play() comes before
// the file is even opened: the device runs silent until the decode is done.
// (A named pipe delayed the file once; the decoder now refuses what is no plain file.)
TEST_F(PreviewAudioTest, MusicReadyLateStartsAtTheCurrentShowTime) {
    ASSERT_TRUE(soxSteps("steps.ogg"));
    const Written next = audioAfter(
        [&] {
            audio.play(2000);
            audio.open(file("steps.ogg"));
        },
        1200);
    ASSERT_TRUE(audio.ready()) << audio.error();
    const size_t first = next.bytes.find_first_not_of('\0');
    ASSERT_NE(first, std::string::npos) << "silent throughout";
    // The first sound is the music from about 2 s on (its third step), not from its start.
    const size_t from = first - first % kBytesPerFrame;
    EXPECT_NEAR(pitch(next.bytes.substr(from, bytesFor(300))), stepFrequency(2), stepFrequency(2) * 0.04);
}

// On reload the same unchanged file is kept as decoded; a file changed on disk is decoded again.
TEST_F(PreviewAudioTest, ReopeningKeepsAnUnchangedFileAndDecodesAChangedOne) {
    ASSERT_TRUE(soxSteps("steps.ogg"));
    ASSERT_TRUE(openAndWait(file("steps.ogg")));
    audio.play(500);
    audio.open(file("steps.ogg"));
    EXPECT_TRUE(audio.ready());
    EXPECT_TRUE(audio.playing());
    ASSERT_TRUE(soxSteps("steps.ogg", true));
    ASSERT_TRUE(openAndWait(file("steps.ogg")));
    const std::string next = audioAfter([&] { audio.play(500); }, 300).after(60, 240);
    EXPECT_NEAR(pitch(next), stepFrequency(kStepSeconds - 1), stepFrequency(kStepSeconds - 1) * 0.04);
    audio.open("");
    EXPECT_FALSE(audio.ready());
}

TEST_F(PreviewAudioTest, AFileThatDoesNotDecodeIsSilentWithItsPathInTheError) {
    show.write("broken.ogg", "OggS but not really");
    show.write("broken.xm", "Extended Module: nothing more");
    for (const char* name : {"broken.ogg", "broken.xm", "missing.ogg"}) {
        SCOPED_TRACE(name);
        audio.open(file(name));
        for (int waited = 0; audio.error().empty() && waited < 5000; waited += 10) SDL_Delay(10);
        EXPECT_EQ(audio.error().rfind(file(name) + ": ", 0), 0u) << audio.error();
        EXPECT_FALSE(audio.ready());
        const std::string next = audioAfter([&] { audio.play(0); }, 100).bytes;
        EXPECT_EQ(next.find_first_not_of('\0'), std::string::npos);
    }
}

TEST_F(PreviewAudioTest, WithoutAnAudioDeviceThePreviewIsSilentAndSaysSo) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ASSERT_TRUE(soxSteps("steps.ogg"));
    audio.open(file("steps.ogg"));
    audio.play(1000);
    audio.pause();
    EXPECT_FALSE(audio.ready());
    EXPECT_EQ(audio.error().rfind("audio: ", 0), 0u) << audio.error();
}

// First sample above a small level, in frames; -1 for none.
static long onset(const int16_t* samples, size_t count) {
    for (size_t i = 0; i < count; i++)
        if (std::abs(int(samples[i])) > 300) return long(i / kMusicChannels);
    return -1;
}

// The capture hands the music file to ffmpeg. For an MP3 that has a LAME
// information frame (ffmpeg's) and one that has none (sox's), the decode
// starts the tone at the sample ffmpeg's own decode starts it: both drop
// the encoder's delay where the file says it, and the information frame.
TEST_F(PreviewAudioTest, Mp3ToneStartsAtTheSampleTheCapturesFfmpegStartsIt) {
    ASSERT_EQ(runCommand("sox -n -r 44100 -c 2 '" + file("gap.wav") + "' synth 0.5 sine 440 vol 0 : synth 1 sine 440"), 0);
    ASSERT_EQ(runCommand("sox '" + file("gap.wav") + "' '" + file("sox.mp3") + "'"), 0);
    ASSERT_EQ(runCommand("ffmpeg -loglevel error -i '" + file("gap.wav") + "' -c:a libmp3lame '" + file("ffmpeg.mp3") + "'"), 0);
    for (const char* name : {"sox.mp3", "ffmpeg.mp3"}) {
        SCOPED_TRACE(name);
        const std::string out = show.path() + "/ffmpeg.raw";
        ASSERT_EQ(runCommand("ffmpeg -loglevel error -y -i '" + file(name) + "' -f s16le -ar 44100 -ac 2 '" + out + "'"), 0);
        const std::string played = readFile(out);
        const long ffmpeg = onset(reinterpret_cast<const int16_t*>(played.data()), played.size() / 2);
        const std::vector<int16_t> pcm = decodeMusic(file(name), false).pcm;
        const long decoded = onset(pcm.data(), pcm.size());
        ASSERT_GT(decoded, kMusicRate / 2);
        EXPECT_LE(std::abs(ffmpeg - decoded), 2) << "ffmpeg " << ffmpeg << ", decoded " << decoded;
    }
}

TEST_F(PreviewAudioTest, MusicBeyondTheBoundIsCutWithAMessage) {
    ASSERT_TRUE(soxSteps("steps.ogg"));
    const DecodedMusic music = decodeMusic(file("steps.ogg"), false, 2 * kMusicRate);
    EXPECT_EQ(music.pcm.size(), size_t(2 * kMusicRate * kMusicChannels));
    EXPECT_EQ(music.message.rfind(file("steps.ogg") + ": longer than 2 s", 0), 0u) << music.message;
    EXPECT_EQ(decodeMusic(file("steps.ogg"), false).message, "");
}
