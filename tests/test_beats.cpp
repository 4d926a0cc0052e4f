// The beats found in music made at known tempi and offsets by sox and as a
// module, and in the sample show's music, decoded as the preview decodes
// it: the tempo, where each beat lies, and none where the music is silent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "arguments.h"
#include "beat_finder.h"
#include "music_decode.h"
#include "script_time.h"
#include "support/music_modules.h"
#include "support/showdir.h"

namespace {

struct Made {
    const char* name;
    double bpm;
    int beats;
};

// The show time of the first sound in decoded music: the clicks' true
// offset as the preview plays it (an MP3 decoder's delay included).
double firstSoundMs(const std::vector<int16_t>& pcm) {
    for (size_t i = 0; i < pcm.size(); i++)
        if (std::abs(pcm[i]) > 3000) return double(i / kMusicChannels) * 1000.0 / kMusicRate;
    return -1;
}

TEST(Beats, FoundInMusicAtKnownTempiOnTheClicksAndNotInSilence) {
    ShowDir dir;
    // 84 clicks at 128 BPM from 0.37 s, then 2 s of silence.
    ASSERT_EQ(runCommand("cd " + dir.data() + " && sox -r 44100 -n -c 2 clicks.ogg synth 0.015 sine 2000 fade 0 0.015 0.01 "
                         "pad 0 0.45375 repeat 83 pad 0.37 2 2>/dev/null"), 0);
    // Bars of an accented beat and three soft ones at 90 BPM over a tone that
    // stops half a beat after the last, from 1.25 s, with 2 s of silence after.
    const std::string beat = "synth 0.03 pinknoise fade 0 0.03 0.025 ";
    ASSERT_EQ(runCommand("cd " + dir.data() + " && sox -r 44100 -n -c 2 loud.wav " + beat + "pad 0 0.636667"
                         " && sox -r 44100 -n -c 2 soft.wav " + beat + "vol 0.35 pad 0 0.636667"
                         " && sox loud.wav soft.wav soft.wav soft.wav bar.wav && sox bar.wav bars.wav repeat 15"
                         " && sox -r 44100 -n -c 2 tone.wav synth 42.333 sine 220 vol 0.15"
                         " && sox -m bars.wav tone.wav accents.mp3 pad 1.25 2 2>/dev/null"), 0);
    // 64 kicks at 126 BPM from 0.5 s with bright hats between, 2 s of silence after.
    ASSERT_EQ(runCommand("cd " + dir.data() + " && sox -n -r 44100 -c 2 kick.wav synth 0.12 sine 150-50 "
                         "fade q 0.002 0.12 0.09 pad 0 0.35619 && sox -n -r 44100 -c 2 hat.wav synth 0.04 whitenoise "
                         "vol 0.2 highpass 6000 fade q 0.001 0.04 0.03 pad 0.238095 0.198095 && sox -m kick.wav hat.wav "
                         "beat.wav && sox beat.wav kicks.ogg repeat 63 pad 0.5 2 2>/dev/null"), 0);
    // 62 pulses at 150 BPM after two empty rows (0.2 s).
    dir.write("pulses.xm", xmPulses(150, 2, 62));

    for (const Made& made : {Made{"clicks.ogg", 128, 84}, Made{"accents.mp3", 90, 64}, Made{"pulses.xm", 150, 62},
                             Made{"kicks.ogg", 126, 64}}) {
        SCOPED_TRACE(made.name);
        const DecodedMusic music = decodeMusic(dir.data() + "/" + made.name, false);
        ASSERT_FALSE(music.pcm.empty()) << music.message;
        const BeatGrid found = findBeats(music.pcm.data(), music.pcm.size() / kMusicChannels, kMusicChannels,
                                         kMusicRate, false);
        ASSERT_FALSE(found.empty());
        EXPECT_NEAR(found.bpm(), made.bpm, 0.5);

        const double period = 60000.0 / made.bpm, first = firstSoundMs(music.pcm);
        const double last = first + period * (made.beats - 1);
        const std::vector<Beat> beats = found.between(-1e9, 1e9);
        int near = 0;
        for (int k = 0; k < made.beats; k++) {
            const double truth = first + period * k;
            const std::optional<double> nearest = found.nearest(truth);
            if (nearest && std::fabs(*nearest - truth) <= 15) near++;
        }
        EXPECT_GE(near, int(std::ceil(0.95 * made.beats))) << "of " << made.beats << " beats from " << first << " ms";
        ASSERT_FALSE(beats.empty());
        EXPECT_GE(beats.front().ms, first - 15) << "a beat in the silence before the music";
        EXPECT_LE(beats.back().ms, last + 15) << "a beat in the silence after the music";
    }

    // The sample show's music: 120 BPM, the kick on every beat from 8 s to
    // 56 s, the eight seconds before it a pad alone, where the tracker
    // wanders off the tempo.
    const DecodedMusic demo = decodeMusic(KORVANE_SOURCE_DIR "/examples/demo/data/music.ogg", false);
    const BeatGrid grid = findBeats(demo.pcm.data(), demo.pcm.size() / kMusicChannels, kMusicChannels, kMusicRate, false);
    EXPECT_TRUE(grid.isSteady());
    EXPECT_NEAR(grid.bpm(), 120, 0.5);
    int onKicks = 0;
    for (int k = 0; k < 96; k++) onKicks += std::fabs(grid.nearest(8000 + 500 * k).value_or(-1e9) - (8000 + 500 * k)) <= 15;
    EXPECT_GE(onKicks, 92);
}

// Times the tools write for the script (copied times, tapped lengths, beat
// lists) read back as the same milliseconds, though the player reads 1.001
// as 1000 ms.
TEST(Beats, TimesWrittenForTheScriptReadBackAsWritten) {
    EXPECT_EQ(scriptSeconds(24480), "24.480");
    EXPECT_EQ(scriptSeconds(1001), "1.0015");
    for (int32_t ms = 0; ms <= 300000; ms++) {
        int32_t read = -1;
        ASSERT_TRUE(parseShowTime(scriptSeconds(ms), read) && read == ms) << scriptSeconds(ms) << " for " << ms;
    }
}

}  // namespace
