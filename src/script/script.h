// The script: its loader, options, sync lists, timeline and the scene list.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "timeline/scene.h"

// One sync mark: the template track to show and the time until the next mark.
struct SYNC {
    int32_t track;
    int32_t length;
};

class CScript {
public:
    std::vector<std::string> lines;             // preprocessed lines, until the option pass
    std::map<std::string, std::string> defines; // during the load only
    std::map<std::string, int32_t> glConstants; // during the load only
    std::vector<std::string> statements;        // the timeline, in file order
    std::vector<int32_t> startTimes;            // one per statement
    int32_t nextStatement = 0;                  // next statement to parse
    std::vector<CScene> scenes;                 // active scenes, highest track first
    std::vector<std::vector<SYNC>> syncLists;

    // Where the text came from, for tools that report on a script: the
    // physical line (counted from 1) that each entry of lines and of
    // statements began on, and the physical lines whose definitions never
    // stopped expanding (cut off at a bound and passed on as they stood).
    std::vector<int> lineNumbers;
    std::vector<int> statementLines;
    std::vector<int> runawayLines;

    // Reads the script at path, preprocesses it and runs the option pass.
    // Returns false when the file cannot be read or is no plain file
    // (nothing else is changed then); error, when given, then says why.
    bool init(const char* path, std::string* error = nullptr);
    void defineInit();   // built-in names
    void optionParse();  // options, sync lists and the timeline
    void parse();        // turns the next group of equal-time statements into scenes
};

// Loaded once at start-up; owns the timeline and the scene list for the whole run.
extern CScript script;
