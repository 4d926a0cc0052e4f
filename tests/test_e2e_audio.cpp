// The sample show's music as the player plays it, written by SDL's disk
// audio driver instead of a sound card.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "support/e2e_show.h"
#include "support/player.h"

// The player opens 44.1 kHz, 16-bit, stereo; the driver writes the samples raw.
static const size_t kBytesPerSecond = 44100 * 2 * 2;

TEST(E2eAudio, MusicIsPlayedUntilTheEnd) {
    REQUIRE_DISPLAY();
    ShowDir show;
    show.copy(demoDataDir() + "/music.ogg", "music.ogg");
    show.writeScript("Default !fullscreen\n@sync\n3.0 end\n@end\n");
    const std::string out = show.path() + "/audio.raw";
    Player player;
    ASSERT_TRUE(player.start(show.path(), {}, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + out}));
    EXPECT_EQ(player.wait(30), 0) << player.errorOutput();

    const std::string raw = readFile(out);
    // Three seconds of show; the driver writes at the pace of a sound card.
    EXPECT_GT(raw.size(), 2 * kBytesPerSecond);
    EXPECT_LT(raw.size(), 6 * kBytesPerSecond);
    const size_t count = raw.size() / 2;
    int peak = 0;
    size_t audible = 0;
    for (size_t i = 0; i < count; i++) {
        int16_t sample;
        std::memcpy(&sample, raw.data() + 2 * i, 2);
        const int level = std::abs(int(sample));
        peak = std::max(peak, level);
        audible += level > 200;
    }
    EXPECT_GT(peak, 2000) << "music, not silence or dither";
    EXPECT_GT(audible, count / 4);
}

TEST(E2eAudio, NoSoundOptionWritesSilence) {
    REQUIRE_DISPLAY();
    ShowDir show;
    show.copy(demoDataDir() + "/music.ogg", "music.ogg");
    show.writeScript("Default !fullscreen !sound\n@sync\n1.0 end\n@end\n");
    const std::string out = show.path() + "/audio.raw";
    Player player;
    ASSERT_TRUE(player.start(show.path(), {}, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + out}));
    EXPECT_EQ(player.wait(30), 0) << player.errorOutput();
    const std::string raw = readFile(out);
    EXPECT_EQ(raw.find_first_not_of('\0'), std::string::npos) << "a silent file or none";
}
