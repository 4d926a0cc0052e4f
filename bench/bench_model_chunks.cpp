// How 3DS load time grows with the number of element chunks: files of N
// vertex, face or mapping coordinate chunks of one element each (a mesh cut
// into the smallest pieces), for N doubling up to a maximum. Linear loading
// keeps the time per chunk flat; the ratio column is the time against the
// previous N, about 2 when linear and 4 when quadratic.
// Usage: bench_model_chunks [max_chunks]   (default 160000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "assets/gfx.h"
#include "assets/objectloader.h"
#include "write3ds.h"

namespace fs = std::filesystem;

static void freeModels() {
    while (object_type* o = gfx.objects) {
        gfx.objects = o->next;
        delete o;
    }
}

// One element of each kind: 12 bytes of vertex, 8 of face with its flag word, 8 of mapping coordinate.
static std::string oneElement(uint16_t id) {
    std::string d;
    put16(d, 1);
    if (id == 0x4110) {
        for (float f : {1.0f, 2.0f, 3.0f}) putFloat(d, f);
    } else if (id == 0x4120) {
        for (uint16_t v : {0, 0, 0, 7}) put16(d, v);
    } else {
        putFloat(d, 0.5f);
        putFloat(d, 0.25f);
    }
    return Chunk3DS(id, d).bytes();
}

// A main, editor, object and mesh chunk around count element chunks of one kind.
static std::string chunkyFile(uint16_t id, size_t count) {
    const std::string element = oneElement(id);
    std::string body;
    body.reserve(element.size() * count);
    for (size_t i = 0; i < count; i++) body += element;
    std::string objectData;
    putName(objectData, "bits");
    const uint32_t meshLength = uint32_t(6 + body.size());
    const uint32_t objectLength = uint32_t(6 + objectData.size()) + meshLength;
    std::string out;
    for (auto [chunk, length] : {std::pair<uint16_t, uint32_t>{0x4D4D, objectLength + 12}, {0x3D3D, objectLength + 6},
                                 {0x4000, objectLength}}) {
        put16(out, chunk);
        put32(out, length);
    }
    out += objectData;
    put16(out, 0x4100);
    put32(out, meshLength);
    return out + body;
}

static size_t elementsOf(const object_type& o, uint16_t id) {
    return id == 0x4110 ? o.vertices.size() : id == 0x4120 ? o.polygons.size() : o.mapcoords.size();
}

int main(int argc, char** argv) {
    const size_t most = argc > 1 ? std::max(1000L, atol(argv[1])) : 160000;
    std::string pattern = (fs::temp_directory_path() / "korvane-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    const fs::path root = pattern;
    const std::string path = (root / "m.3ds").string();

    bool ok = true;
    printf("%-12s %9s %10s %10s %8s\n", "chunks", "count", "MB", "load ms", "ratio");
    for (auto [id, kind] : {std::pair<uint16_t, const char*>{0x4110, "vertex"}, {0x4120, "face"}, {0x4140, "mapping"}}) {
        double previous = 0;
        for (size_t n = most / 16; n <= most; n *= 2) {
            const std::string bytes = chunkyFile(id, n);
            if (!writeBytes(path, bytes)) return 1;
            freeModels();
            const auto start = std::chrono::steady_clock::now();
            Load3DS(path);
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            const bool whole = getObject(0) && elementsOf(*getObject(0), id) == n;
            ok = ok && whole;
            printf("%-12s %9zu %10.1f %10.1f %8s%s\n", kind, n, bytes.size() / 1e6, ms,
                   previous > 0 ? std::to_string(ms / previous).substr(0, 4).c_str() : "", whole ? "" : "  LOAD WRONG");
            previous = ms;
        }
    }
    printf("target: the ratio stays near 2 (linear) at every doubling\n");
    freeModels();
    fs::remove_all(root);
    return ok ? 0 : 1;
}
