// The 3DS loader on arbitrary bytes, then every triangle walked the way the
// model drawing walks it: the face count bounded by the stored faces, faces
// with an index past the vertices skipped, mapping coordinates looked up
// only when the index has one.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "assets/gfx.h"
#include "assets/objectloader.h"

namespace {

std::string modelPath;

bool indexValid(int32_t i, size_t count) { return i >= 0 && static_cast<size_t>(i) < count; }

// Reads what drawing sends for one vertex; the sum keeps the reads alive.
float touchVertex(const object_type& model, int32_t i) {
    const VECTOR& p = model.vertices[i];
    float sum = p.x + p.y + p.z;
    if (model.hasMapcoords && indexValid(i, model.mapcoords.size()))
        sum += model.mapcoords[i].u + model.mapcoords[i].v;
    return sum;
}

float walkTriangles(const object_type& model) {
    const size_t stored = model.polygons.size();
    const size_t count = model.polygonCount > 0 ? std::min(static_cast<size_t>(model.polygonCount), stored) : 0;
    const size_t vertexCount = model.vertices.size();
    float sum = 0.0f;
    for (size_t f = 0; f < count; f++) {
        const polygon_type& face = model.polygons[f];
        if (!indexValid(face.a, vertexCount) || !indexValid(face.b, vertexCount) || !indexValid(face.c, vertexCount))
            continue;
        sum += touchVertex(model, face.a) + touchVertex(model, face.b) + touchVertex(model, face.c);
    }
    return sum;
}

// The names are drawn as C strings bounded by their fields.
size_t nameLengths(const object_type& model) {
    return strnlen(model.objectName, sizeof model.objectName) + strnlen(model.textureName, sizeof model.textureName);
}

bool writeModel(const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(modelPath.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    modelPath = std::string(dir) + "/korvane-fuzz-" + std::to_string(getpid()) + ".3ds";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!writeModel(data, size)) return 0;
    Load3DSReport report;
    if (Load3DS(modelPath, &report) != 1) __builtin_trap();  // the file is there
    object_type* model = gfx.objects;
    volatile float sink = walkTriangles(*model);
    volatile size_t names = nameLengths(*model);
    (void)sink;
    (void)names;
    gfx.objects = model->next;
    delete model;
    return 0;
}
