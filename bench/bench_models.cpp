// Load time of 3DS models: ten tori of 20,000 triangles with mapping
// coordinates, written to a temporary directory and loaded one by one.
// Usage: bench_models [rounds]   (default 5; the best round is reported)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "assets/gfx.h"
#include "assets/objectloader.h"

// The benchmarks link only the engine, so the test writer is compiled in here.
#include "../tests/support/model_3ds_writer.cpp"
#include "../tests/support/model_shapes.cpp"

namespace fs = std::filesystem;

static void freeModels() {
    while (object_type* o = gfx.objects) {
        gfx.objects = o->next;
        delete o;
    }
}

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int models = 10;

    std::string pattern = (fs::temp_directory_path() / "korvane-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    const fs::path root = pattern;
    fs::create_directory(root / "data");

    size_t fileBytes = 0;
    for (int i = 0; i < models; i++) {
        // 100 × 100 quads: 20,000 triangles, 10,201 vertices and mapcoords.
        const Mesh3DS torus = torusMesh("torus" + std::to_string(i), 100, 100, 1.0f + 0.1f * i);
        const std::string bytes = file3DS({torus}, "TORUS.JPG");
        fileBytes = bytes.size();
        if (!writeBytes((root / "data" / ("t" + std::to_string(i) + ".3ds")).string(), bytes)) return 1;
    }
    fs::current_path(root);

    double best = 1e30;
    for (int r = 0; r < rounds; r++) {
        freeModels();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < models; i++) Load3DS("data/t" + std::to_string(i) + ".3ds");
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    const object_type* last = getObject(0);
    const bool ok = last && last->polygonCount == 20000 && last->mapcoords.size() == 10201;
    printf("models: %d of %zu bytes, %d triangles each (%s)\n", models, fileBytes,
           last ? last->polygonCount : 0, ok ? "loaded whole" : "LOAD WRONG");
    printf("load time: %.3f ms per model (best of %d rounds, %.2f ms for all %d)\n",
           best / models, rounds, best, models);

    freeModels();
    fs::current_path(root.parent_path());
    fs::remove_all(root);
    return ok ? 0 : 1;
}
