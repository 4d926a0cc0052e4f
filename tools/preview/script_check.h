// Reading data/script.txt with korvane-check's own code: its findings, and
// what the preview draws of the show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "timeline.h"

struct CheckedScript {
    bool read = false;        // false: there is no readable script
    std::string readError;    // why not
    int errors = 0;
    // "script.txt:LINE: error|warning: ..." as korvane-check prints them.
    std::vector<std::string> findings;
    Timeline timeline;                  // for the strip
    std::vector<std::string> physical;  // the file's lines, for the lines at the playhead
    int32_t endTime = 0;                // the "end", or the last statement's start
    bool hasEnd = false;
};

// Checks the script of the working directory's data/. The checker loads it
// into the engine's globals (`script`, emptied first, `einit`, the tube's
// record): the caller saves what it needs of them first.
CheckedScript checkScript();
