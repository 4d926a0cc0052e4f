// Resampling a picture to another size with GLU's box filter.
#pragma once

#include <cstdint>

// Scales in (width x height RGBA pixels, rows packed) to out (outWidth x
// outHeight), byte for byte what GLU's mipmap builder makes of an RGBA
// GL_UNSIGNED_BYTE picture whose sides are not powers of two: each output
// pixel is the area-weighted mean of the input pixels under it, summed in
// floats in GLU's order and truncated. Where GLU's sums reach past the last
// pixel (always with a weight of 0 or close to it) they read 0 here.
void scaleImage(const uint8_t* in, int width, int height, uint8_t* out, int outWidth, int outHeight);
