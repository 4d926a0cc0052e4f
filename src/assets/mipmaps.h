// Mipmap chains for textures.
#pragma once

#include <cstdint>

// Uploads rgba (width x height, 4 bytes a pixel, rows packed) and every
// smaller level to the bound 2D texture, byte for byte what
// gluBuild2DMipmaps(GL_TEXTURE_2D, 4, ..., GL_RGBA, GL_UNSIGNED_BYTE, rgba)
// makes, sides that are not powers of two or that GL cannot hold included,
// without GLU's generic per-component loops. Throws std::bad_alloc, having
// uploaded nothing, when there is no memory for the levels.
void buildMipmaps(int width, int height, const uint8_t* rgba);
