// Loading script text in tests: the preprocessing step alone, or the whole
// load through a file in a temporary show directory.
#pragma once

#include <string>
#include <vector>

#include "script/script.h"

// What preprocessing made of the text (the option pass not run).
struct PreprocessedScript {
    std::vector<std::string> lines;
    std::vector<int> lineNumbers;
    std::vector<RunawayLine> runawayLines;
};
PreprocessedScript preprocessText(const std::string& text);

// Resets einit to its defaults, writes text to a fresh data/script.txt and
// runs s.init on it. Returns what init returned.
bool loadScriptText(CScript& s, const std::string& text);
