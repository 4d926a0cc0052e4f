// Load time of a 100,000-line script: definitions, built-in names, times in
// seconds, continuations, comments, options and sync lists.
// Run: build/bench/bench_script_load [lines]
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

static std::string generate(int statements) {
    std::string text = "# generated show\n";
    const char* names[] = {"FADE", "ADD", "SPIN", "TINT", "SLOW", "GLOW", "BACK", "WIRE"};
    text += "Define FADE opacity 0 to 1\n";
    text += "Define ADD blendFunc GL_SRC_ALPHA GL_ONE\n";
    text += "Define SPIN rotate 0 0 1 0 to 360\n";
    text += "Define TINT color 0.5 0.25 1.0\n";
    text += "Define SLOW duration 12.5\n";
    text += "Define GLOW ADD TINT\n";
    text += "Define BACK blendFunc GL_ONE_MINUS_DST_COLOR GL_ZERO\n";
    text += "Define WIRE wireframe FADE\n";
    text += "Default !fullscreen 800x600 !gui\n";
    for (int i = 0; i < 4; i++) text += "Sync 1 0.5 2 0.25 3 1.125 4 0.75\n";
    text += "@sync\n";
    char line[256];
    for (int i = 0; i < statements; i++) {
        if (i % 1000 == 999) {
            text += "# section\n";
            std::snprintf(line, sizeof line, "%d.%03d track 9 object cam.3ds \\\n  duration 1.5 SPIN\n",
                          i / 100, i % 100 * 10);
        } else {
            std::snprintf(line, sizeof line,
                          "%d.%03d track %d type 1 object img%d.jpg duration 2.5 %s %s scale 0.5 0.5 0.5\n",
                          i / 100, i % 100 * 10, i % 8, i % 50, names[i % 8], names[(i + 3) % 8]);
        }
        text += line;
    }
    text += "@end\n";
    return text;
}

int main(int argc, char** argv) {
    const int statements = argc > 1 ? std::atoi(argv[1]) : 100000;
    char dir[] = "/tmp/korvane-bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string path = std::string(dir) + "/script.txt";
    const std::string text = generate(statements);
    std::ofstream(path, std::ios::binary) << text;

    std::vector<double> times;
    size_t loaded = 0;
    for (int run = 0; run < 5; run++) {
        CScript s;
        einit.defaults();
        const auto start = std::chrono::steady_clock::now();
        const bool ok = s.init(path.c_str());
        const auto stop = std::chrono::steady_clock::now();
        if (!ok) return 1;
        loaded = s.statements.size();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    unlink(path.c_str());
    rmdir(dir);
    std::sort(times.begin(), times.end());
    std::printf("script load: %zu bytes, %zu statements: median %.1f ms (min %.1f, max %.1f) over %zu runs\n",
                text.size(), loaded, times[times.size() / 2], times.front(), times.back(), times.size());
    return loaded == size_t(statements) ? 0 : 1;
}
