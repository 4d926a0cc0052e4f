// The first frame of a show whose timeline starts with one large group of
// statements at time 0: the compositor parses the whole group and files
// every record by track before it draws; records without a duration are
// erased again in the same frame. Composed offscreen at 640 x 480; the
// records draw nothing, so the time is the intake of the group and the walk.
// Usage: bench_first_frame [statements...]   (default 50000 100000 200000 400000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "draw/camera.h"
#include "script/script.h"
#include "shell/glcontext.h"
#include "shell/init.h"
#include "shell/timer.h"
#include "timeline/effect.h"

static double firstFrameMs(int statements, bool lasting, size_t& bytes) {
    script = CScript{};
    std::mt19937 random(1);
    bytes = 0;
    for (int i = 0; i < statements; i++) {
        // About 30 bytes each, on a thousand tracks in no order.
        script.statements.push_back("0 track " + std::to_string(random() % 1000) +
                                    (lasting ? " duration 60000 blend" : " blend type 3 scene 0"));
        script.startTimes.push_back(0);
        bytes += script.statements.back().size() + 1;
    }
    timer.elapsed = 0;
    const auto start = std::chrono::steady_clock::now();
    effect.compose();
    const auto stop = std::chrono::steady_clock::now();
    if (script.nextStatement != statements || script.scenes.size() != (lasting ? size_t(statements) : 0)) {
        std::fprintf(stderr, "bench_first_frame: the group was not parsed whole\n");
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(stop - start).count();
}

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; i++) sizes.push_back(std::max(1, std::atoi(argv[i])));
    if (sizes.empty()) sizes = {50000, 100000, 200000, 400000};
    OffscreenContext context;
    std::string error;
    if (!context.create(640, 480, &error)) {
        std::fprintf(stderr, "bench_first_frame: no offscreen context: %s\n", error.c_str());
        return 1;
    }
    einit.defaults();
    einit.opengl();
    camera.init();
    for (bool lasting : {true, false}) {
        double previous = 0;
        int previousSize = 0;
        for (int size : sizes) {
            size_t bytes = 0;
            const double ms = firstFrameMs(size, lasting, bytes);
            std::printf("first frame with %d statements at time 0 (%.1f MB), %s: %.1f ms", size, bytes / 1e6,
                        lasting ? "all kept" : "all erased", ms);
            if (previousSize) std::printf(" (x%.1f for x%.1f statements)", ms / previous, double(size) / previousSize);
            std::printf("\n");
            previous = ms;
            previousSize = size;
        }
    }
    return 0;
}
