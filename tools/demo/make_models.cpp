// Writes the sample show's models as 3DS files: a torus with its own texture,
// a cube with mapping coordinates, and a small ship.
// Usage: korvane-demo-models DATA_DIR
#include <cstdio>
#include <string>

#include "shapes3ds.h"

namespace {

uint16_t vertex(Mesh3DS& m, float x, float y, float z, float u = 0, float v = 0) {
    m.vertices.push_back({x, y, z});
    m.mapcoords.push_back({u, v});
    return static_cast<uint16_t>(m.vertices.size() - 1);
}

void quad(Mesh3DS& m, uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    m.faces.push_back({a, b, c});
    m.faces.push_back({a, c, d});
}

// The checker repeats four times around the ring.
Mesh3DS torus() {
    Mesh3DS m = torusMesh("torus", 48, 20, 1.6f, 0.55f);
    for (mapcoord_type& c : m.mapcoords) c.u *= 4;
    return m;
}

// Four vertices a side, so every side maps the whole texture.
Mesh3DS cube() {
    Mesh3DS m;
    m.name = "cube";
    // Each side: its centre and two axes across it.
    const float sides[6][9] = {
        {1, 0, 0, 0, 0, -1, 0, 1, 0},  {-1, 0, 0, 0, 0, 1, 0, 1, 0}, {0, 1, 0, 1, 0, 0, 0, 0, -1},
        {0, -1, 0, 1, 0, 0, 0, 0, 1},  {0, 0, 1, 1, 0, 0, 0, 1, 0},  {0, 0, -1, -1, 0, 0, 0, 1, 0}};
    for (const auto& s : sides) {
        uint16_t corner[4];
        const float across[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (int k = 0; k < 4; k++) {
            const float a = across[k][0], b = across[k][1];
            corner[k] = vertex(m, s[0] + a * s[3] + b * s[6], s[1] + a * s[4] + b * s[7],
                               s[2] + a * s[5] + b * s[8], (a + 1) / 2, (1 - b) / 2);
        }
        quad(m, corner[0], corner[1], corner[2], corner[3]);
    }
    return m;
}

// A dart along -Z: a pointed body, two swept wings and a fin.
Mesh3DS ship() {
    Mesh3DS m;
    m.name = "ship";
    const uint16_t nose = vertex(m, 0, 0, -2.2f), tail = vertex(m, 0, 0, 1.2f);
    const uint16_t top = vertex(m, 0, 0.35f, 0.2f), bottom = vertex(m, 0, -0.25f, 0.2f);
    const uint16_t left = vertex(m, -0.4f, 0, 0.2f), right = vertex(m, 0.4f, 0, 0.2f);
    for (uint16_t side : {left, right}) {
        m.faces.push_back({nose, top, side});
        m.faces.push_back({nose, side, bottom});
        m.faces.push_back({tail, side, top});
        m.faces.push_back({tail, bottom, side});
    }
    for (float w : {-1.0f, 1.0f}) {
        const uint16_t root1 = vertex(m, 0.3f * w, 0, -0.6f), root2 = vertex(m, 0.3f * w, 0, 0.9f);
        const uint16_t tip = vertex(m, 1.9f * w, -0.1f, 1.1f), tip2 = vertex(m, 1.7f * w, -0.1f, 1.3f);
        quad(m, root1, root2, tip2, tip);
    }
    const uint16_t fin1 = vertex(m, 0, 0.3f, 0.3f), fin2 = vertex(m, 0, 0.3f, 1.2f);
    const uint16_t finTop = vertex(m, 0, 1.0f, 1.4f);
    m.faces.push_back({fin1, fin2, finTop});
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DATA_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = writeBytes(dir + "/torus.3ds", file3DS({torus()}, "checker.jpg")) &&
                    writeBytes(dir + "/cube.3ds", file3DS({cube()})) &&
                    writeBytes(dir + "/ship.3ds", file3DS({ship()}));
    if (!ok) std::perror(argv[0]);
    return ok ? 0 : 1;
}
