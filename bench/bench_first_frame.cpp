// The first frame of a show whose timeline starts with one large group of
// statements at time 0: the compositor parses the whole group and files
// every record by track before it draws. Three groups: all on one track,
// on a thousand tracks in no order, and without a duration (erased again in
// the same frame). Composed offscreen at 640 x 480; the records draw
// nothing, so the time is the intake of the group and the walk.
// Usage: bench_first_frame [one|many|erased] [statements...]   (default: every group,
//        50000 100000 200000 400000 statements)
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

enum class Group { OneTrack, ManyTracks, Erased };

static double firstFrameMs(int statements, Group group, size_t& bytes) {
    script = CScript{};
    std::mt19937 random(1);
    bytes = 0;
    for (int i = 0; i < statements; i++) {
        // About 30 bytes each.
        const unsigned track = group == Group::OneTrack ? 1 : random() % 1000;
        script.statements.push_back("0 track " + std::to_string(track) +
                                    (group == Group::Erased ? " blend type 3 scene 0" : " duration 60000 blend"));
        script.startTimes.push_back(0);
        bytes += script.statements.back().size() + 1;
    }
    timer.elapsed = 0;
    const auto start = std::chrono::steady_clock::now();
    effect.compose();
    const auto stop = std::chrono::steady_clock::now();
    const size_t kept = group == Group::Erased ? 0 : size_t(statements);
    if (script.nextStatement != statements || script.scenes.size() != kept) {
        std::fprintf(stderr, "bench_first_frame: the group was not parsed whole\n");
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(stop - start).count();
}

int main(int argc, char** argv) {
    const char* names[] = {"one", "many", "erased"};
    std::vector<Group> groups = {Group::OneTrack, Group::ManyTracks, Group::Erased};
    int first = 1;
    for (int g = 0; g < 3 && argc > 1; g++)
        if (std::string(argv[1]) == names[g]) {
            groups = {Group(g)};
            first = 2;
        }
    std::vector<int> sizes;
    for (int i = first; i < argc; i++) sizes.push_back(std::max(1, std::atoi(argv[i])));
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
    const char* labels[] = {"one track", "1000 tracks", "all erased"};
    for (Group group : groups) {
        double previous = 0;
        int previousSize = 0;
        for (int size : sizes) {
            size_t bytes = 0;
            const double ms = firstFrameMs(size, group, bytes);
            std::printf("first frame with %d statements at time 0 (%.1f MB), %s: %.1f ms", size, bytes / 1e6,
                        labels[int(group)], ms);
            if (previousSize) std::printf(" (x%.1f for x%.1f statements)", ms / previous, double(size) / previousSize);
            std::printf("\n");
            previous = ms;
            previousSize = size;
        }
    }
    return 0;
}
