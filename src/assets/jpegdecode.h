// The JPEG decoder under the texture loader: libjpeg with an error manager
// that returns to the caller instead of ending the process.
#pragma once

#include <cstdio>
#include <string>

#include "assets/imageloader.h"

// Bytes per decoded pixel: packed RGB, or RGB with an alpha byte of 255
// (what the texture upload wants, made by libjpeg in the same pass).
enum class JpegPixels { Rgb = 3, Rgba = 4 };

// The widest and tallest picture the texture table can hold (its sizes are 16-bit).
constexpr int kMaxJpegSide = 32767;

// The largest side a picture is decoded at, whatever GL could take, and the
// most pixels: 8192 x 8192 worth, which GLU's rescale can take without
// overflowing its arithmetic.
constexpr int kLargestTextureSide = 16384;
constexpr int kLargestTexturePixels = 1 << 26;

// The error of a decode that found no memory for the pixels.
constexpr const char* kNoMemoryForPicture = "not enough memory for the picture";

// Decodes the open file from its current position. Greyscale, CMYK and YCCK
// pictures come out as RGB. A picture wider or taller than largestSide (or
// kLargestTextureSide, if that is smaller), or of more pixels than
// kLargestTexturePixels, is decoded smaller by libjpeg's DCT scaling, at the
// largest of 7/8 ... 1/8 that fits: image.sizeX and sizeY are the decoded
// size, pictureX and pictureY the picture's own. On failure returns false
// with libjpeg's message in error and image emptied. Warnings (a premature
// end of the file, for one) are not failures: libjpeg fills what is missing
// with grey; the first one's message goes to warning, when given (empty
// when there was none).
bool decodeJPEGStream(std::FILE* file, JpegPixels pixels, tImageJPG& image, std::string& error,
                      int largestSide = kLargestTextureSide, std::string* warning = nullptr);
