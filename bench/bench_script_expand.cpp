// Load time of scripts whose definitions are used many times, at three
// sizes each: the time should double with the size.
//   uses:   100 definitions whose text names other definitions thousands of
//           times, then statements that use them;
//   chain:  definitions that each name the next one, written before it, and
//           statements that use the first (every use goes down the chain).
// Run: build/bench/bench_script_expand [kilobytes]   (the largest size; default 600)
#include <stdlib.h>  // Required for: mkdtemp
#include <unistd.h>  // Required for: unlink, rmdir

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "script/script.h"
#include "shell/init.h"

static std::string uses(size_t bytes) {
    std::string text = "Define FADE opacity 0 to 1\nDefine GLOW blendFunc GL_SRC_ALPHA GL_ONE\n";
    const size_t perLine = bytes / 100;
    for (int i = 0; i < 100; i++) {
        std::string line = "Define LOOK" + std::to_string(i);
        while (line.size() < perLine) line += i % 2 ? " FADE" : " GLOW FADE";
        text += line + "\n";
    }
    text += "@sync\n";
    for (int i = 0; i < 100; i++) text += std::to_string(i) + " track 1 LOOK" + std::to_string(i) + " duration 1.5\n";
    return text + "@end\n";
}

static std::string chain(size_t bytes) {
    const size_t links = bytes / 40;
    std::string text;
    for (size_t i = 0; i < links; i++)
        text += "Define STEP" + std::to_string(i) + " STEP" + std::to_string(i + 1) + "\n";
    text += "Define STEP" + std::to_string(links) + " opacity 0.5\n@sync\n";
    for (size_t i = 0; i < links; i++) text += std::to_string(i) + " track 1 STEP0\n";
    return text + "@end\n";
}

// Median of three loads, or one when a load takes more than two seconds.
static double loadMs(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    std::vector<double> times;
    for (int run = 0; run < 3; run++) {
        CScript s;
        einit.defaults();
        const auto start = std::chrono::steady_clock::now();
        if (!s.init(path.c_str())) return -1;
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (times.back() > 2000) break;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int main(int argc, char** argv) {
    const size_t largest = (argc > 1 ? std::max(4, std::atoi(argv[1])) : 600) * size_t(1000);
    char dir[] = "/tmp/korvane-bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string path = std::string(dir) + "/script.txt";
    struct Shape {
        const char* name;
        std::string (*make)(size_t);
    };
    for (const Shape& shape : {Shape{"uses", uses}, Shape{"chain", chain}}) {
        double previous = 0;
        for (size_t bytes : {largest / 4, largest / 2, largest}) {
            const std::string text = shape.make(bytes);
            const double ms = loadMs(path, text);
            std::printf("%-5s %7zu bytes: %9.1f ms", shape.name, text.size(), ms);
            if (previous > 0) std::printf("  (x%.1f for twice the size)", ms / previous);
            std::printf("\n");
            previous = ms;
        }
    }
    unlink(path.c_str());
    rmdir(dir);
    return 0;
}
