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

// Decodes the open file from its current position. Greyscale, CMYK and YCCK
// pictures come out as RGB. On failure returns false with libjpeg's message
// in error and image emptied. Warnings (a premature end of the file, for
// one) are not failures: libjpeg fills what is missing with grey.
bool decodeJPEGStream(std::FILE* file, JpegPixels pixels, tImageJPG& image, std::string& error);
