// The command line of korvane-preview.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct PreviewOptions {
    std::string dir = ".";           // the show directory, holding data/
    std::optional<int32_t> at;       // show time to start from, ms; default: the loop's start, or 0
    std::optional<int32_t> loopFrom; // --loop A B: the loop range, on from the start
    int32_t loopTo = 0;
    double bpm = 0;                  // beats a minute; 0: the beats found in the music
    int32_t beatOffset = 0;          // show time of the first beat, ms
    int width = 0, height = 0;       // --size; 0: the script's render size
    bool fullscreen = false;
    bool stats = false;              // print reload and overlay timings
};

enum class ParseResult { Run, Help, Error };

// Fills options from argv; on Error, error says which argument was wrong.
ParseResult parseOptions(int argc, char** argv, PreviewOptions& options, std::string& error);

// The --help text: every option and every key.
std::string usage();
