// Meshes to write as 3DS files: a box and a torus, both with mapping
// coordinates, one per vertex.
#pragma once

#include "model_3ds_writer.h"

// A cube of side size centred on the origin: 8 vertices, 12 faces, 8 mapcoords.
Mesh3DS boxMesh(const std::string& name, float size = 1.0f);

// A torus of rings × sides quads cut into 2 · rings · sides triangles. The
// seams repeat their vertices so the mapping coordinates wrap cleanly:
// (rings + 1) · (sides + 1) vertices, at most 65535.
Mesh3DS torusMesh(const std::string& name, int rings, int sides, float major = 1.0f,
                  float minor = 0.3f);
