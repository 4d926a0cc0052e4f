// Finding the beats of a 10-minute song, as the preview and korvane-check
// --beats do once it is decoded: the time against the song's length (the
// target: under 2 %, 12 s).
//
//   bench_beats [rounds]
//
// Makes a 10-minute 44.1 kHz stereo Ogg Vorbis with sox in a temporary
// directory (a kick on each beat at 126 BPM, hats between, over a slow
// sweep), decodes it once, then finds its beats `rounds` times and reports
// the best wall time and processor time (on a busy machine the wall time
// waits for others), with the tempo found.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "beat_finder.h"
#include "music_decode.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::string dir = (fs::temp_directory_path() / "korvane-bench-XXXXXX").string();
    if (!mkdtemp(dir.data())) return 1;
    // A beat of 60/126 s: the kick, then the hat half a beat on.
    const std::string command =
        "cd " + dir + " && sox -n -r 44100 -c 2 kick.wav synth 0.12 sine 150-50 fade q 0.002 0.12 0.09 pad 0 0.35619"
        " && sox -n -r 44100 -c 2 hat.wav synth 0.04 whitenoise vol 0.2 highpass 6000 fade q 0.001 0.04 0.03 pad 0.238095 0.198095"
        " && sox -m kick.wav hat.wav beat.wav && sox beat.wav beats.wav repeat 1259"
        " && sox -n -r 44100 -c 2 sweep.wav synth 600 sine 200-800 vol 0.2"
        " && sox -m beats.wav sweep.wav song.ogg trim 0 600 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "sox could not make the song\n");
        return 1;
    }
    auto now = [] { return std::chrono::steady_clock::now(); };
    auto start = now();
    const DecodedMusic music = decodeMusic(dir + "/song.ogg", false);
    const double decodeS = std::chrono::duration<double>(now() - start).count();
    if (music.pcm.empty()) {
        std::fprintf(stderr, "%s\n", music.message.c_str());
        return 1;
    }
    const size_t frames = music.pcm.size() / kMusicChannels;
    const double seconds = double(frames) / kMusicRate;
    auto cpu = [] {
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    };
    double best = 1e9, bestCpu = 1e9;
    BeatGrid beats;
    for (int r = 0; r < rounds; r++) {
        start = now();
        const double cpuStart = cpu();
        beats = findBeats(music.pcm.data(), frames, kMusicChannels, kMusicRate, false);
        bestCpu = std::min(bestCpu, cpu() - cpuStart);
        best = std::min(best, std::chrono::duration<double>(now() - start).count());
    }
    std::printf("a %.1f s song (decoded in %.2f s): beats found in %.2f s (%.2f s of processor time), best of %d: "
                "%.2f %% of its length (%.2f %% in processor time; target: under 2 %%)\n",
                seconds, decodeS, best, bestCpu, rounds, 100.0 * best / seconds, 100.0 * bestCpu / seconds);
    std::printf("found %.2f BPM (made at 126), %s, %lld beats from %.3f s\n", beats.bpm(),
                beats.isSteady() ? "a steady grid" : "as tracked", (long long)beats.size(), beats.first() / 1000);
    fs::remove_all(dir);
}
