// Parsing one group of 1,000 statements with the same start time, names
// resolved against 200 textures and 50 models. Target: under 5 ms a group.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/gfx.h"
#include "assets/imageloader.h"
#include "assets/objectloader.h"
#include "script/script.h"

static void fillTables() {
    for (int i = 0; i < 200; i++)
        gfx.textures = new tTexture{"picture" + std::to_string(i) + ".jpg", 256, 128, unsigned(i + 1), gfx.textures};
    for (int i = 0; i < 50; i++) {
        auto* model = new object_type{};
        model->name = "model" + std::to_string(i) + ".3ds";
        model->next = gfx.objects;
        gfx.objects = model;
    }
}

// Image and model statements in turn, over sixteen tracks, with names spread
// across the whole tables.
static std::string statement(int i) {
    const std::string track = " track " + std::to_string(i % 16);
    const std::string picture = "picture" + std::to_string((i * 37) % 200) + ".jpg";
    if (i % 2 == 0)
        return "5000" + track + " type 1 object " + picture + " center opacity 0 to 1 move 10 20 to 300 40" +
               " scale 1 1 1 to 2 2 1 duration 3000 blend";
    return "5000" + track + " type 0 object model" + std::to_string((i * 7) % 50) + ".3ds mask " + picture +
           " rotate 0 1 0 angle 0 to 360 translate 0 0 -5 to 0 0 -10 color 1 0.5 0.2 opacity 0.8" +
           " blendFunc 770 771 duration 4000 envmap";
}

int main() {
    fillTables();
    for (int i = 0; i < 1000; i++) {
        script.statements.push_back(statement(i));
        script.startTimes.push_back(5000);
    }
    const bool resolved = getTextureNum("picture0.jpg") >= 0 && getObjectNum("model0.3ds") >= 0;

    std::vector<double> times;
    for (int round = 0; round < 50; round++) {
        script.scenes.clear();
        script.scenes.shrink_to_fit();
        script.nextStatement = 0;
        const auto start = std::chrono::steady_clock::now();
        script.parse();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        if (script.nextStatement != 1000 || script.scenes.size() != 1000) {
            std::fprintf(stderr, "bench_parse: the group was not parsed whole\n");
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("parse of 1000 statements (names %s): min %.3f ms, median %.3f ms, max %.3f ms over %zu rounds\n",
                resolved ? "resolved" : "NOT resolved: lookups missing", times.front(), times[times.size() / 2],
                times.back(), times.size());
    return 0;
}
