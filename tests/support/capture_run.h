// Running korvane-capture and reading what it wrote with other programs
// (ImageMagick for PNG, ffprobe for video).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/offscreen.h"  // Required for: Rgb, colorNear

struct ToolRun {
    int status = -1;     // exit status, -1 when it did not exit
    std::string errors;  // standard error
    std::string output;  // standard output
};

// Runs the tool with args; env is put before the command as shell words,
// for example "PATH=/nowhere".
ToolRun runCapture(const std::vector<std::string>& args, const std::string& env = "");

// A decoded picture, rows from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    Rgb at(int x, int y) const;  // (0, 0) at the top left
};

// Reads a PNG through ImageMagick; false when it cannot.
bool readPicture(const std::string& path, Picture& picture);

// A JPEG of one colour made by ImageMagick, colour as ImageMagick writes it
// ("rgb(200,40,40)").
void writeSolidJpeg(const std::string& path, int width, int height, const std::string& colour);

// Runs ffprobe on path with the given options and returns its output.
std::string probe(const std::string& path, const std::string& options);

// Quotes a word for the shell.
std::string shellQuote(const std::string& word);
