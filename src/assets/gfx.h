// The asset tables: textures and models, each a list with the newest first.
#pragma once

struct tTexture;
struct object_type;

struct GFX {
    tTexture* textures;
    object_type* objects;
};

// Filled by the data directory scan at start-up; read-only afterwards.
extern GFX gfx;
