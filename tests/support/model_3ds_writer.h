// Writing 3DS files: a chunk tree that serialises itself, and the chunks of
// meshes and materials built from plain arrays. Used by the tests, the
// benchmarks and model-making tools.
#pragma once

#include <cstdint>
#include <utility>
#include <string>
#include <vector>

#include "assets/objectloader.h"

// One chunk: its id, its own data, then its sub-chunks. The length written
// is the header, data and sub-chunks together.
struct Chunk3DS {
    uint16_t id = 0;
    std::string data;
    std::vector<Chunk3DS> children;

    Chunk3DS() = default;
    explicit Chunk3DS(uint16_t id, std::string data = {}, std::vector<Chunk3DS> children = {})
        : id(id), data(std::move(data)), children(std::move(children)) {}

    uint32_t length() const;
    std::string bytes() const;
};

// Little-endian appenders for chunk data.
void put16(std::string& out, uint16_t v);
void put32(std::string& out, uint32_t v);
void putFloat(std::string& out, float v);
// The text and its NUL.
void putName(std::string& out, const std::string& name);

struct Face3DS {
    uint16_t a, b, c;
};

// One object block with a triangle mesh. Empty faces write no face chunk;
// empty mapcoords write no mapping coordinate chunk.
struct Mesh3DS {
    std::string name;
    std::vector<VECTOR> vertices;
    std::vector<Face3DS> faces;
    std::vector<mapcoord_type> mapcoords;
};

// Object block 0x4000 holding mesh 0x4100 with vertices, faces, mapcoords.
Chunk3DS meshChunk(const Mesh3DS& mesh);
// Material block 0xAFFF with a name and a texture map naming textureFile.
Chunk3DS materialChunk(const std::string& name, const std::string& textureFile);
// Main chunk 0x4D4D holding an editor chunk 0x3D3D with the given chunks.
Chunk3DS mainChunk(std::vector<Chunk3DS> editorChildren);

// A whole file: one material when textureFile is not empty, then the meshes.
std::string file3DS(const std::vector<Mesh3DS>& meshes, const std::string& textureFile = {});
// Writes bytes to path; false when the file cannot be written.
bool writeBytes(const std::string& path, const std::string& bytes);
