// The preview's whole-file music decode: how long the sample show's music and
// a 10-minute show take to decode to 44.1 kHz stereo, against their length.
//
//   bench_music_decode [rounds]
//
// Makes a 10-minute 44.1 kHz stereo Ogg Vorbis and MP3 with sox (a slow sine
// sweep) in a temporary directory, then decodes each file
// `rounds` times and reports the best.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "music_decode.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::string dir = (fs::temp_directory_path() / "korvane-bench-XXXXXX").string();
    if (!mkdtemp(dir.data())) return 1;
    std::vector<std::string> files = {KORVANE_SOURCE_DIR "/examples/demo/data/music.ogg"};
    for (const char* name : {"/ten-minutes.ogg", "/ten-minutes.mp3"}) {
        const std::string command = "sox -n -r 44100 -c 2 " + dir + name + " synth 600 sine 200-800 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "sox could not make %s\n", name);
            return 1;
        }
        files.push_back(dir + name);
    }

    std::printf("best of %d rounds:\n", rounds);
    for (const std::string& file : files) {
        double best = 1e9;
        size_t frames = 0;
        for (int r = 0; r < rounds; r++) {
            const auto start = std::chrono::steady_clock::now();
            const DecodedMusic music = decodeMusic(file, false);
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            frames = music.pcm.size() / kMusicChannels;
            if (!music.message.empty()) std::printf("  %s\n", music.message.c_str());
        }
        const double seconds = double(frames) / kMusicRate;
        std::printf("  %-40s %6.1f s of music, %6.1f MB of PCM: %7.1f ms, %5.0f x real time\n",
                    fs::path(file).filename().c_str(), seconds, frames * 4 / 1e6, best * 1e3, seconds / best);
    }
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %.1f MB\n", usage.ru_maxrss / 1e3);
    fs::remove_all(dir);
}
