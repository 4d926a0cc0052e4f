#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "music_decode.h"
#include "shell/init.h"
#include "shell/sound.h"
#include "support/music_modules.h"
#include "support/showdir.h"

// How a child that played a file ended.
enum Played { PlayedAndReleased = 0, NothingOpened = 2, NoChannel = 4, NotReleased = 5 };

static int waitForChild(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

static size_t fileSize(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? size_t(info.st_size) : 0;
}

// Opens each file in turn through CSound and plays the last until SDL's disk
// audio driver has written ms milliseconds of it to raw (20 s at most), in a
// child so that no SDL state outlives the test; then releases everything.
static int playToDisk(const std::vector<std::string>& files, const std::string& raw, int ms) {
    const pid_t child = fork();
    if (child != 0) return waitForChild(child);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    einit.defaults();
    // Each init releases the device the one before opened: SDL opens one at a time.
    for (const std::string& file : files) sound.init(file.c_str());
    if (!sound.system || !sound.music) _exit(NothingOpened);
    const size_t wanted = fileSize(raw) + size_t(ms) * kMusicRate / 1000 * kMusicChannels * sizeof(int16_t);
    sound.play();
    if (!sound.channel) _exit(NoChannel);
    for (int waited = 0; fileSize(raw) < wanted && waited < 20000; waited += 10) SDL_Delay(10);
    sound.exit();
    if (sound.system || SDL_WasInit(SDL_INIT_AUDIO) != 0) _exit(NotReleased);
    _exit(PlayedAndReleased);
}

static const size_t kFrameBytes = kMusicChannels * sizeof(int16_t);

// Largest sample magnitude of 16-bit little-endian audio.
static int peak(const std::string& raw) {
    int best = 0;
    for (size_t i = 0; i + 1 < raw.size(); i += 2) {
        const int16_t s = static_cast<int16_t>(static_cast<uint8_t>(raw[i]) | static_cast<uint8_t>(raw[i + 1]) << 8);
        best = std::max(best, std::abs(static_cast<int>(s)));
    }
    return best;
}

// The frame of the first sample that is not zero; npos for none.
static size_t firstSound(const std::string& raw) {
    const size_t at = raw.find_first_not_of('\0');
    return at == std::string::npos ? at : at / kFrameBytes;
}

class MusicTest : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return show.data() + "/" + name; }
    std::string raw() const { return show.path() + "/out.raw"; }
    bool sox(const std::string& name, const std::string& effect) const {
        return runCommand("sox -n -r 44100 -c 2 '" + file(name) + "' synth 0.4 " + effect + " 2>/dev/null") == 0;
    }
    ShowDir show;
};

// Streamed a buffer at a time, every format plays exactly the samples the
// whole-file decode gives (the preview's), once: silence follows its end.
TEST_F(MusicTest, EveryFormatPlaysOnceAsTheWholeFileDecodes) {
    ASSERT_TRUE(sox("tone.mp3", "sine 440"));
    ASSERT_TRUE(sox("tone.ogg", "sine 440"));
    show.write("tune.xm", xmModule());
    show.write("tune.it", itModule());
    for (const char* name : {"tone.mp3", "tone.ogg", "tune.xm", "tune.it"}) {
        SCOPED_TRACE(name);
        const DecodedMusic whole = decodeMusic(file(name), false);
        ASSERT_EQ(whole.message, "");
        const std::string decoded(reinterpret_cast<const char*>(whole.pcm.data()), whole.pcm.size() * sizeof(int16_t));
        const int lengthMs = int(whole.pcm.size() / kMusicChannels * 1000 / kMusicRate);
        std::remove(raw().c_str());
        ASSERT_EQ(playToDisk({file(name)}, raw(), lengthMs + 700), PlayedAndReleased);
        const std::string audio = readFile(raw());
        EXPECT_GT(peak(audio), 2000);
        // Before play() the device writes silence; the music starts where the decode's first sound is.
        const size_t lead = firstSound(decoded);
        ASSERT_NE(lead, std::string::npos);
        const size_t start = firstSound(audio);
        ASSERT_GE(start, lead);
        const size_t from = (start - lead) * kFrameBytes;
        ASSERT_GE(audio.size(), from + decoded.size() + kMusicRate / 4 * kFrameBytes) << "a quarter second after the end";
        EXPECT_TRUE(audio.compare(from, decoded.size(), decoded) == 0) << "the stream differs from the whole-file decode";
        EXPECT_EQ(audio.find_first_not_of('\0', from + decoded.size()), std::string::npos) << "played again";
    }
}

TEST_F(MusicTest, SilenceIsMeasuredAsSilence) {
    ASSERT_TRUE(sox("quiet.ogg", "sine 440 vol 0"));
    EXPECT_EQ(playToDisk({file("quiet.ogg")}, raw(), 600), PlayedAndReleased);
    EXPECT_LT(peak(readFile(raw())), 10);
}

// The later file replaces the earlier: the earlier's device is closed first
// (or the later could not open one), and what plays is the later file: a
// one-second module, not the earlier three-second tone.
TEST_F(MusicTest, ALaterInitReleasesTheEarlierAndPlaysItsOwnFile) {
    ASSERT_TRUE(runCommand("sox -n -r 44100 -c 2 '" + file("long.ogg") + "' synth 3 sine 440") == 0);
    show.write("tune.it", itModule());
    show.write("broken.xm", "not a module");
    EXPECT_EQ(playToDisk({file("long.ogg"), file("tune.it")}, raw(), 2500), PlayedAndReleased);
    const std::string audio = readFile(raw());
    EXPECT_GT(peak(audio), 2000);
    const size_t start = firstSound(audio);
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(audio.find_first_not_of('\0', (start + 2 * kMusicRate) * kFrameBytes), std::string::npos)
        << "still sounding two seconds on";
    // A later file that cannot be decoded leaves no music, although the earlier could have played.
    EXPECT_EQ(playToDisk({file("long.ogg"), file("broken.xm")}, raw(), 100), NothingOpened);
}

TEST_F(MusicTest, WithSoundOffNothingIsOpened) {
    ASSERT_TRUE(sox("tone.ogg", "sine 440"));
    einit.defaults();
    einit.soundOn = false;
    sound.init(file("tone.ogg").c_str());
    EXPECT_EQ(sound.system, nullptr);
    EXPECT_EQ(sound.music, nullptr);
    sound.play();
    EXPECT_EQ(sound.channel, nullptr);
    sound.exit();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    einit.defaults();
}

TEST_F(MusicTest, WithoutAnyInitPlayAndExitDoNothing) {
    einit.defaults();
    sound.play();
    sound.exit();
    EXPECT_EQ(sound.channel, nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}
