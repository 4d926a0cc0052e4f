// The script: its loader, options, sync lists, timeline and the scene list.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/init.h"
#include "timeline/scene.h"

// A physical line whose definitions did not expand in full. Cycle: a name
// whose text names itself, which would never stop, is left as written there.
// Size: a finite expansion passed the loader's bounds and was cut off, the
// line going on as it then stood.
enum class Runaway { Cycle, Size };
struct RunawayLine {
    int line;
    Runaway kind;
    bool operator==(const RunawayLine& o) const { return line == o.line && kind == o.kind; }
};

// A physical line whose lone backslash joined a line that reads as no part
// of it: a comment, whose words then count as script, or the end marker,
// which ends the script there and drops the line it was joined to.
enum class Joined { Comment, EndMarker };
struct JoinedLine {
    int line;   // the line with the backslash
    int start;  // the line the joined line began on
    Joined what;
};

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
    // statements began on, the physical lines whose definitions did not
    // expand in full, and the continuations that joined a comment or the end
    // marker.
    std::vector<int> lineNumbers;
    std::vector<int> statementLines;
    std::vector<RunawayLine> runawayLines;
    std::vector<JoinedLine> joinedLines;

    // Reads the script at path, preprocesses it and runs the option pass.
    // Returns false when the file cannot be read or is no plain file
    // (nothing else is changed then); error, when given, then says why.
    bool init(const char* path, std::string* error = nullptr);
    // The same for the bytes of a script already read. A tool that reports on
    // the script sees it after preprocessing, before the option pass takes
    // the lines and the definitions are dropped. The "Default" options go
    // into options: a tool that loads a script beside the show it plays
    // passes a record of its own.
    void load(const std::string& bytes, const std::function<void(const CScript&)>& preprocessed = nullptr,
              CInit& options = einit);
    void defineInit();                       // built-in names
    void optionParse(CInit& options = einit);  // options, sync lists and the timeline
    // Turns the next group of equal-time statements into scenes, filed in
    // track order (a tube scene also into the tube's record, scene1). A tool
    // that keeps the records itself passes file, which then gets each
    // statement's index and record instead, and no global is changed.
    void parse(const std::function<void(int32_t, const CScene&)>& file = nullptr);
};

// Loaded once at start-up; owns the timeline and the scene list for the whole run.
extern CScript script;
