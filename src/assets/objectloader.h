// 3DS models: the chunk walk and the model table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "draw/vector.h"

struct polygon_type {
    int32_t a, b, c;
};

struct mapcoord_type {
    float u, v;
};

struct object_type {
    std::string name;      // file name in the data directory
    char objectName[20];   // last object block name, NUL-terminated
    char textureName[20];  // last mapping file name, NUL-terminated
    int32_t polygonCount;  // triangles of the last face chunk; with several meshes, all of them
    std::vector<polygon_type> polygons;
    std::vector<mapcoord_type> mapcoords;
    std::vector<VECTOR> vertices;
    bool hasMapcoords;
    object_type* next;
};

// What a load found wrong with a file; the player ignores it, tools report it.
struct Load3DSReport {
    bool walkStoppedEarly = false;  // a data or skipped chunk's length below 6 or past the end of the file
    bool containerLengthWrong = false;  // the same of a container; the walk goes on inside it
    bool countsCut = false;         // a count larger than its chunk holds
    bool nameTruncated = false;     // a name without NUL in its first 20 bytes
    int indicesOutOfRange = 0;      // drawn triangles with an index past the vertices
    int mapcoordsMissing = 0;       // drawn vertex indices with no mapping coordinate
    int meshes = 0;                 // mesh chunks read
};

// Walks the 3DS file at path and files a model at the front of the table
// under path without its five-character prefix. Returns 0 when the file
// cannot be opened or is no plain file (nothing added), 1 otherwise.
int Load3DS(const std::string& path, Load3DSReport* report = nullptr);

// Index from the front of the first model named name, or -1.
int getObjectNum(const std::string& name);
// The model at index from the front, or null.
object_type* getObject(int index);
