// Test pictures for the texture loader: made by ImageMagick and cjpeg, plus
// a YCCK writer (no command-line tool writes one), and the table reset.
#pragma once

#include <cstdint>
#include <string>

// Runs `convert <args> <out>`; true when convert succeeded.
bool convertTo(const std::string& out, const std::string& args);
// Draws a picture with `convert <convertArgs>` and compresses it with `cjpeg <cjpegOptions>`.
bool cjpegTo(const std::string& out, const std::string& cjpegOptions, const std::string& convertArgs);
// A width x height picture of one ink colour (C, M, Y, K as amounts of ink),
// stored as Adobe YCCK: inverted, with an Adobe segment.
bool writeYcckJpeg(const std::string& out, int width, int height, const uint8_t ink[4]);
// A JPEG of a few hundred bytes whose frame header claims width x height
// pixels: a 16 x 16 picture by ImageMagick with its size rewritten. libjpeg
// decodes the missing rest as grey.
bool writeClaimedSizeJpeg(const std::string& out, int width, int height);
// Forgets every texture record (their GL names go with the test's context).
void clearTextureTable();
