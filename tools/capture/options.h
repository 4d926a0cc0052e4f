// The command line of korvane-capture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class Output { None, Frames, Video, Shot, Null };

struct CaptureOptions {
    std::string dir = ".";             // the show directory, holding data/
    int fps = 60;                      // frames per second of show time
    int32_t from = 0;                  // first show time written, ms
    std::optional<int32_t> to;         // frames before this show time are written, ms
    std::optional<int32_t> shot;       // the one frame of --shot, ms
    int width = 0, height = 0;         // --size; 0: the script's render size
    int frameWidth = 0, frameHeight = 0;  // --resolution; 0: the render size
    bool fill = false;                 // --fill: crop to the resolution instead of adding bars
    std::string preset;                // --preset: x264's; empty: kDefaultPreset
    int crf = -1;                      // --crf; -1: kDefaultCrf
    Output output = Output::None;
    std::string outPath;               // frames directory, video file or shot file
    int threads = 0;                   // frame writers; 0: chosen by the output
    bool stats = false;                // print where the time went
};

enum class ParseResult { Run, Help, Error };

// Fills options from argv; on Error, error says which argument was wrong.
ParseResult parseOptions(int argc, char** argv, CaptureOptions& options, std::string& error);

extern const char* const kUsage;
extern const char* const kDefaultPreset;
extern const int kDefaultCrf;
