#include "model_3ds_writer.h"

#include <cstdio>
#include <cstring>

uint32_t Chunk3DS::length() const {
    uint32_t n = 6 + uint32_t(data.size());
    for (const Chunk3DS& c : children) n += c.length();
    return n;
}

std::string Chunk3DS::bytes() const {
    std::string out;
    put16(out, id);
    put32(out, length());
    out += data;
    for (const Chunk3DS& c : children) out += c.bytes();
    return out;
}

void put16(std::string& out, uint16_t v) {
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void put32(std::string& out, uint32_t v) {
    put16(out, uint16_t(v & 0xFFFF));
    put16(out, uint16_t(v >> 16));
}

void putFloat(std::string& out, float v) {
    uint32_t bits;
    memcpy(&bits, &v, sizeof bits);
    put32(out, bits);
}

void putName(std::string& out, const std::string& name) {
    out += name;
    out += '\0';
}

static Chunk3DS vertexChunk(const std::vector<VECTOR>& vertices) {
    std::string d;
    put16(d, uint16_t(vertices.size()));
    for (const VECTOR& v : vertices) {
        putFloat(d, v.x);
        putFloat(d, v.y);
        putFloat(d, v.z);
    }
    return Chunk3DS(0x4110, d);
}

static Chunk3DS faceChunk(const std::vector<Face3DS>& faces) {
    std::string d;
    put16(d, uint16_t(faces.size()));
    for (const Face3DS& f : faces) {
        put16(d, f.a);
        put16(d, f.b);
        put16(d, f.c);
        put16(d, 7);  // edge visibility flags, as modelling programs write them
    }
    return Chunk3DS(0x4120, d);
}

static Chunk3DS mapcoordChunk(const std::vector<mapcoord_type>& mapcoords) {
    std::string d;
    put16(d, uint16_t(mapcoords.size()));
    for (const mapcoord_type& m : mapcoords) {
        putFloat(d, m.u);
        putFloat(d, m.v);
    }
    return Chunk3DS(0x4140, d);
}

Chunk3DS meshChunk(const Mesh3DS& mesh) {
    Chunk3DS triangles(0x4100);
    triangles.children.push_back(vertexChunk(mesh.vertices));
    if (!mesh.faces.empty()) triangles.children.push_back(faceChunk(mesh.faces));
    if (!mesh.mapcoords.empty()) triangles.children.push_back(mapcoordChunk(mesh.mapcoords));
    std::string name;
    putName(name, mesh.name);
    return Chunk3DS(0x4000, name, {triangles});
}

Chunk3DS materialChunk(const std::string& name, const std::string& textureFile) {
    std::string materialName, fileName;
    putName(materialName, name);
    putName(fileName, textureFile);
    return Chunk3DS(0xAFFF, {},
                    {Chunk3DS(0xA000, materialName),
                     Chunk3DS(0xA200, {}, {Chunk3DS(0xA300, fileName)})});
}

Chunk3DS mainChunk(std::vector<Chunk3DS> editorChildren) {
    return Chunk3DS(0x4D4D, {}, {Chunk3DS(0x3D3D, {}, std::move(editorChildren))});
}

std::string file3DS(const std::vector<Mesh3DS>& meshes, const std::string& textureFile) {
    std::vector<Chunk3DS> editor;
    if (!textureFile.empty()) editor.push_back(materialChunk("Material", textureFile));
    for (const Mesh3DS& m : meshes) editor.push_back(meshChunk(m));
    return mainChunk(std::move(editor)).bytes();
}

bool writeBytes(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}
