// Mipmap chains for textures whose sides are powers of two.
#pragma once

#include <cstdint>

// Uploads rgba (width x height, 4 bytes a pixel, rows packed) and every
// smaller level to the bound 2D texture, byte for byte what
// gluBuild2DMipmaps(GL_TEXTURE_2D, 4, ..., GL_RGBA, GL_UNSIGNED_BYTE, rgba)
// makes, without GLU's generic per-component loops. Returns false and uploads
// nothing when a side is not a power of two or GL cannot hold the picture
// as it is: GLU then rescales it. Throws std::bad_alloc, having uploaded
// nothing, when there is no memory for the levels.
bool buildPowerOfTwoMipmaps(int width, int height, const uint8_t* rgba);
