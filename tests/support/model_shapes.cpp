#include "model_shapes.h"

#include <cmath>

Mesh3DS boxMesh(const std::string& name, float size) {
    Mesh3DS m;
    m.name = name;
    const float h = size / 2;
    for (int i = 0; i < 8; i++) {
        const float x = (i & 1) ? h : -h, y = (i & 2) ? h : -h, z = (i & 4) ? h : -h;
        m.vertices.push_back({x, y, z});
        m.mapcoords.push_back({(i & 1) ? 1.0f : 0.0f, (i & 2) ? 1.0f : 0.0f});
    }
    // Two triangles per side, counter-clockwise seen from outside.
    const uint16_t quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                  {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& q : quads) {
        m.faces.push_back({q[0], q[1], q[2]});
        m.faces.push_back({q[0], q[2], q[3]});
    }
    return m;
}

Mesh3DS torusMesh(const std::string& name, int rings, int sides, float major, float minor) {
    Mesh3DS m;
    m.name = name;
    const float twoPi = 6.2831853f;
    for (int r = 0; r <= rings; r++) {
        const float u = float(r) / float(rings), a = u * twoPi;
        for (int s = 0; s <= sides; s++) {
            const float v = float(s) / float(sides), b = v * twoPi;
            const float d = major + minor * std::cos(b);
            m.vertices.push_back({d * std::cos(a), d * std::sin(a), minor * std::sin(b)});
            m.mapcoords.push_back({u, v});
        }
    }
    const int row = sides + 1;
    for (int r = 0; r < rings; r++) {
        for (int s = 0; s < sides; s++) {
            const uint16_t i0 = uint16_t(r * row + s), i1 = uint16_t(i0 + 1);
            const uint16_t j0 = uint16_t(i0 + row), j1 = uint16_t(j0 + 1);
            m.faces.push_back({i0, j0, j1});
            m.faces.push_back({i0, j1, i1});
        }
    }
    return m;
}
