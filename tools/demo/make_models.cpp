// Writes the sample show's models as 3DS files: a torus with its own texture,
// a cube with mapping coordinates, and a small ship.
// Usage: korvane-demo-models DATA_DIR
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Mesh {
    std::vector<float> xyz;        // three per vertex
    std::vector<float> uv;         // two per vertex, or none
    std::vector<uint16_t> faces;   // three per triangle
    std::string texture;           // mapping file name, or empty

    uint16_t vertex(float x, float y, float z) {
        xyz.insert(xyz.end(), {x, y, z});
        return static_cast<uint16_t>(xyz.size() / 3 - 1);
    }
    uint16_t vertex(float x, float y, float z, float u, float v) {
        uv.insert(uv.end(), {u, v});
        return vertex(x, y, z);
    }
    void triangle(uint16_t a, uint16_t b, uint16_t c) { faces.insert(faces.end(), {a, b, c}); }
    void quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
        triangle(a, b, c);
        triangle(a, c, d);
    }
};

// A chunk: id, length (header included), data, children.
struct Chunk {
    uint16_t id;
    std::string data;
    std::vector<Chunk> children;

    std::string bytes() const {
        std::string body = data;
        for (const Chunk& c : children) body += c.bytes();
        std::string out;
        put16(out, id);
        put32(out, static_cast<uint32_t>(body.size() + 6));
        return out + body;
    }
    static void put16(std::string& s, uint16_t v) { s += char(v & 0xff), s += char(v >> 8); }
    static void put32(std::string& s, uint32_t v) {
        for (int i = 0; i < 4; i++) s += char((v >> (8 * i)) & 0xff);
    }
    static void putFloat(std::string& s, float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        put32(s, v);
    }
};

std::string cstring(const std::string& s) { return s + '\0'; }

std::string file3ds(const std::string& objectName, const Mesh& mesh) {
    Chunk vertices{0x4110, "", {}};
    Chunk::put16(vertices.data, static_cast<uint16_t>(mesh.xyz.size() / 3));
    for (float f : mesh.xyz) Chunk::putFloat(vertices.data, f);
    Chunk faces{0x4120, "", {}};
    Chunk::put16(faces.data, static_cast<uint16_t>(mesh.faces.size() / 3));
    for (size_t i = 0; i < mesh.faces.size(); i += 3) {
        for (int k = 0; k < 3; k++) Chunk::put16(faces.data, mesh.faces[i + k]);
        Chunk::put16(faces.data, 7);  // edge visibility flags
    }
    Chunk trimesh{0x4100, "", {vertices, faces}};
    if (!mesh.uv.empty()) {
        Chunk uv{0x4140, "", {}};
        Chunk::put16(uv.data, static_cast<uint16_t>(mesh.uv.size() / 2));
        for (float f : mesh.uv) Chunk::putFloat(uv.data, f);
        trimesh.children.push_back(uv);
    }
    Chunk editor{0x3D3D, "", {}};
    if (!mesh.texture.empty()) {
        Chunk material{0xAFFF, "", {Chunk{0xA000, cstring("skin"), {}},
                                    Chunk{0xA200, "", {Chunk{0xA300, cstring(mesh.texture), {}}}}}};
        editor.children.push_back(material);
    }
    editor.children.push_back(Chunk{0x4000, cstring(objectName), {trimesh}});
    Chunk version{0x0002, "", {}};
    Chunk::put32(version.data, 3);
    return Chunk{0x4D4D, "", {version, editor}}.bytes();
}

const float kPi = 3.14159265358979f;

Mesh torus() {
    Mesh m;
    m.texture = "checker.jpg";
    const int ring = 48, tube = 20;
    const float big = 1.6f, small = 0.55f;
    for (int i = 0; i <= ring; i++)
        for (int j = 0; j <= tube; j++) {
            const float a = 2 * kPi * i / ring, b = 2 * kPi * j / tube;
            const float r = big + small * std::cos(b);
            m.vertex(r * std::cos(a), small * std::sin(b), r * std::sin(a), 4.0f * i / ring, 1.0f * j / tube);
        }
    for (int i = 0; i < ring; i++)
        for (int j = 0; j < tube; j++) {
            const uint16_t a = i * (tube + 1) + j, b = (i + 1) * (tube + 1) + j;
            m.quad(a, b, b + 1, a + 1);
        }
    return m;
}

// Four vertices a face, so every face maps the whole texture.
Mesh cube() {
    Mesh m;
    const float s = 1.0f;
    const float n[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const auto& f : n) {
        // Two axes across the face.
        float u[3] = {f[1] != 0 ? 1.0f : 0.0f, 0, f[1] != 0 ? 0.0f : 1.0f};
        if (f[2] != 0) u[0] = 1, u[2] = 0;
        const float v[3] = {f[1] * u[2] - f[2] * u[1], f[2] * u[0] - f[0] * u[2], f[0] * u[1] - f[1] * u[0]};
        uint16_t idx[4];
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (int k = 0; k < 4; k++) {
            const float cu = corners[k][0], cv = corners[k][1];
            idx[k] = m.vertex(s * (f[0] + cu * u[0] + cv * v[0]), s * (f[1] + cu * u[1] + cv * v[1]),
                              s * (f[2] + cu * u[2] + cv * v[2]), (cu + 1) / 2, (cv + 1) / 2);
        }
        m.quad(idx[0], idx[1], idx[2], idx[3]);
    }
    return m;
}

// A dart: a pointed body, two swept wings and a fin, flat-faced, along -Z.
Mesh ship() {
    Mesh m;
    const uint16_t nose = m.vertex(0, 0, -2.2f), tail = m.vertex(0, 0, 1.2f);
    const uint16_t top = m.vertex(0, 0.35f, 0.2f), bottom = m.vertex(0, -0.25f, 0.2f);
    const uint16_t left = m.vertex(-0.4f, 0, 0.2f), right = m.vertex(0.4f, 0, 0.2f);
    for (uint16_t side : {left, right}) {
        m.triangle(nose, top, side);
        m.triangle(nose, side, bottom);
        m.triangle(tail, side, top);
        m.triangle(tail, bottom, side);
    }
    const float wing[2] = {-1, 1};
    for (float w : wing) {
        const uint16_t root1 = m.vertex(0.3f * w, 0, -0.6f), root2 = m.vertex(0.3f * w, 0, 0.9f);
        const uint16_t tip = m.vertex(1.9f * w, -0.1f, 1.1f), tip2 = m.vertex(1.7f * w, -0.1f, 1.3f);
        m.quad(root1, root2, tip2, tip);
    }
    const uint16_t fin1 = m.vertex(0, 0.3f, 0.3f), fin2 = m.vertex(0, 0.3f, 1.2f), finTop = m.vertex(0, 1.0f, 1.4f);
    m.triangle(fin1, fin2, finTop);
    return m;
}

bool write(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DATA_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = write(dir + "/torus.3ds", file3ds("torus", torus())) &&
                    write(dir + "/cube.3ds", file3ds("cube", cube())) &&
                    write(dir + "/ship.3ds", file3ds("ship", ship()));
    if (!ok) std::perror(argv[0]);
    return ok ? 0 : 1;
}
