#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "shell/init.h"
#include "shell/sound.h"
#include "support/music_modules.h"
#include "support/showdir.h"

// How a child that played a file ended.
enum Played { PlayedToTheEnd = 0, NothingOpened = 2, StillPlaying = 3, NoChannel = 4, NotReleased = 5 };

static int waitForChild(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

static bool playing() { return Mix_PlayingMusic() != 0; }

// Opens and plays each file in turn through CSound with SDL's disk audio
// driver writing to raw, in a child so that no SDL state outlives the test.
// The last file plays until it ends (10 s at most); then everything is released.
static int playToDisk(const std::vector<std::string>& files, const std::string& raw) {
    const pid_t child = fork();
    if (child != 0) return waitForChild(child);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    einit.defaults();
    for (const std::string& file : files) sound.init(file.c_str());
    if (!sound.system || !sound.music) _exit(NothingOpened);
    // Each init closed the device that the one before opened: it is open once.
    int frequency, channels;
    Uint16 format;
    if (Mix_QuerySpec(&frequency, &format, &channels) != 1) _exit(NotReleased);
    sound.play();
    if (!sound.channel) _exit(NoChannel);
    for (int waited = 0; playing() && waited < 10000; waited += 10) SDL_Delay(10);
    const bool ended = !playing();
    sound.exit();
    if (sound.system || SDL_WasInit(SDL_INIT_AUDIO) != 0) _exit(NotReleased);
    _exit(ended ? PlayedToTheEnd : StillPlaying);
}

// Largest sample magnitude of 16-bit little-endian audio.
static int peak(const std::string& raw) {
    int best = 0;
    for (size_t i = 0; i + 1 < raw.size(); i += 2) {
        const int16_t s = static_cast<int16_t>(static_cast<uint8_t>(raw[i]) | static_cast<uint8_t>(raw[i + 1]) << 8);
        best = std::max(best, std::abs(static_cast<int>(s)));
    }
    return best;
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

TEST_F(MusicTest, EveryFormatPlaysOnceAndIsHeard) {
    ASSERT_TRUE(sox("tone.mp3", "sine 440"));
    ASSERT_TRUE(sox("tone.ogg", "sine 440"));
    show.write("tune.xm", xmModule());
    show.write("tune.it", itModule());
    for (const char* name : {"tone.mp3", "tone.ogg", "tune.xm", "tune.it"}) {
        SCOPED_TRACE(name);
        std::remove(raw().c_str());
        EXPECT_EQ(playToDisk({file(name)}, raw()), PlayedToTheEnd);
        const std::string audio = readFile(raw());
        EXPECT_GT(audio.size(), 44100u);  // at least a quarter of a second of 16-bit stereo
        EXPECT_GT(peak(audio), 2000);
    }
}

TEST_F(MusicTest, SilenceIsMeasuredAsSilence) {
    ASSERT_TRUE(sox("quiet.ogg", "sine 440 vol 0"));
    EXPECT_EQ(playToDisk({file("quiet.ogg")}, raw()), PlayedToTheEnd);
    EXPECT_LT(peak(readFile(raw())), 10);
}

// The later file replaces the earlier: the earlier's device is closed first
// (checked in the child), and what plays is the later file: a one-second
// module, not the earlier three-second tone.
TEST_F(MusicTest, ALaterInitReleasesTheEarlierAndPlaysItsOwnFile) {
    ASSERT_TRUE(runCommand("sox -n -r 44100 -c 2 '" + file("long.ogg") + "' synth 3 sine 440") == 0);
    show.write("tune.it", itModule());
    show.write("broken.xm", "not a module");
    EXPECT_EQ(playToDisk({file("long.ogg"), file("tune.it")}, raw()), PlayedToTheEnd);
    const std::string audio = readFile(raw());
    EXPECT_GT(peak(audio), 2000);
    EXPECT_LT(audio.size(), 2u * 44100u * 4u);
    // A later file that cannot be decoded leaves no music, although the earlier could have played.
    EXPECT_EQ(playToDisk({file("long.ogg"), file("broken.xm")}, raw()), NothingOpened);
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
