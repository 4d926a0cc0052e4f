// Seeking a long show: from its start to a time and back to 0 with the
// playhead (target: under 50 ms each), against doing the state work of
// every frame on the way, at 60 frames a second. The show is loaded as
// korvane-capture loads it, in an offscreen 640 x 480 context.
// Usage: bench_seek SHOW_DIR [SECONDS] [ROUNDS]   (default 600 s, 5 rounds)
// bench/bench_seek.sh makes a 10-minute show with sync lists and runs it.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "draw/camera.h"
#include "script/script.h"
#include "shell/glcontext.h"
#include "shell/init.h"
#include "shell/timer.h"
#include "timeline/effect.h"
#include "timeline/seek.h"

using Clock = std::chrono::steady_clock;

static double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

static double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_seek SHOW_DIR [SECONDS] [ROUNDS]\n");
        return 2;
    }
    const int32_t target = argc > 2 ? int32_t(std::atof(argv[2]) * 1000) : 600000;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    if (::chdir(argv[1]) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    OffscreenContext context;
    std::string error;
    if (!context.create(640, 480, &error)) {
        std::fprintf(stderr, "bench_seek: no offscreen context: %s\n", error.c_str());
        return 1;
    }
    einit.defaults();
    if (!script.init(kScriptPath)) {
        std::fprintf(stderr, "bench_seek: cannot read %s/%s\n", argv[1], kScriptPath);
        return 1;
    }
    einit.soundOn = false;
    einit.opengl();
    camera.init();
    einit.dir();
    const size_t statements = script.statements.size();
    playhead.start(kScriptPath, 60);

    std::vector<double> forward, back;
    for (int i = 0; i < rounds; i++) {
        auto start = Clock::now();
        const CPlayhead::Stop stop = playhead.seek(target);
        forward.push_back(msSince(start));
        if (stop != CPlayhead::Stop::Reached) {
            std::fprintf(stderr, "bench_seek: the show ends before %d ms\n", target);
            return 1;
        }
        start = Clock::now();
        playhead.seek(0);
        back.push_back(msSince(start));
    }

    // The same frames one by one, every frame's state work done and nothing
    // drawn: what the seek would cost without skipping the quiet frames.
    const int64_t frames = firstFrameAt(target, 60);
    std::vector<double> every;
    for (int i = 0; i < rounds; i++) {
        playhead.rewind();
        const auto start = Clock::now();
        for (int64_t k = 0; k < frames; k++) {
            timer.elapsed = int32_t(frameTime(k, 60));
            effect.advance();
        }
        every.push_back(msSince(start));
    }
    const double everyFrame = median(every);

    std::printf("show: %zu statements, %zu sync lists; %lld frames to %.1f s at 60 fps\n", statements,
                script.syncLists.size(), static_cast<long long>(frames), target / 1000.0);
    std::printf("seek to %.1f s:  median %.2f ms, best %.2f ms of %d  (target < 50 ms)\n", target / 1000.0,
                median(forward), *std::min_element(forward.begin(), forward.end()), rounds);
    std::printf("back to 0:      median %.2f ms, best %.2f ms of %d  (target < 50 ms)\n", median(back),
                *std::min_element(back.begin(), back.end()), rounds);
    std::printf("every frame's state work, no skipping: %.2f ms (%.1fx the seek)\n", everyFrame,
                everyFrame / median(forward));
    return 0;
}
