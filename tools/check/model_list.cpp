// korvane-check --models: what each model of data/ holds, as the player
// loads it, and where it lies, so that an author can place it.
#include <algorithm>
#include <cstdio>

#include "assets/objectloader.h"
#include "checks.h"
#include "shell/init.h"

namespace {

std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(value));
    return text;
}

std::string count(size_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

std::string boundingBox(const object_type& model) {
    if (model.vertices.empty()) return "no vertices to place";
    VECTOR low = model.vertices.front(), high = low;
    for (const VECTOR& p : model.vertices) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    return "x " + number(low.x) + " to " + number(high.x) + ", y " + number(low.y) + " to " + number(high.y) + ", z " +
           number(low.z) + " to " + number(high.z);
}

std::string texture(const DataIndex& data, const object_type& model) {
    const std::string name = ownTextureName(model);
    if (name.empty()) return "no texture of its own";
    return "texture '" + name + "' (" + (data.has(name, AssetKind::Texture) ? "loaded" : "not an image in data") + ")";
}

}  // namespace

void listModels(const DataIndex& data, std::FILE* out) {
    for (const DataFile& f : data.files()) {
        if (!f.loaded || f.kind != AssetKind::Model) continue;
        Load3DSReport report;
        const object_type* model =
            Load3DS(std::string(kDataPrefix) + f.name, &report) ? getObject(getObjectNum(f.name)) : nullptr;
        if (!model) {
            std::fprintf(out, "%s: cannot be read\n", printable(f.name).c_str());
            continue;
        }
        const size_t drawn = std::min(model->polygons.size(), size_t(std::max(model->polygonCount, 0)));
        const std::string line = count(size_t(report.meshes), "mesh", "meshes") + ", " + count(model->vertices.size(), "vertex", "vertices") +
                                 ", " + count(drawn, "triangle", "triangles") + ", " + texture(data, *model) + ", " + boundingBox(*model);
        std::fprintf(out, "%s: %s\n", printable(f.name).c_str(), printable(line).c_str());
    }
}
