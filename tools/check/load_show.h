// Loading a show the way the player does: the engine's loader for the
// script, and the engine's statement parser for every statement, with the
// show's "end" caught instead of ending the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/script.h"

struct OptionLine {
    int line;
    std::vector<std::string> words;  // the words after the keyword
};

struct Statement {
    std::string text;   // as preprocessed
    int line;           // physical line it began on
    int32_t time;       // start time as the loader read it
    int32_t shownAt;    // when the player parses it: it waits for earlier lines
    bool reached;       // parsed before the show ends
    bool ends;          // holds "end": parsing it ends the show
    CScene record;      // the parser's record; valid when reached and not ends
};

struct LoadedShow {
    std::vector<std::string> physical;    // the file's lines
    bool hasTimeline = false;             // an "@sync" before the end marker
    std::vector<OptionLine> defaults;     // "Default" lines
    std::vector<OptionLine> syncLines;    // "Sync" lines, one per sync list
    std::vector<std::vector<SYNC>> syncLists;
    std::vector<std::string> definitionNames;
    std::vector<Statement> statements;
    std::vector<RunawayLine> runawayLines;
    std::vector<JoinedLine> joinedLines;  // continuations into a comment or the end marker
    int endIndex = -1;                    // statement that ends the show, or -1
    int32_t endTime = 0;                  // when it does
};

// Loads data/script.txt of the working directory into show. False when the
// file cannot be read; error then holds the system's reason.
bool loadShow(LoadedShow& show, std::string& error);
// The same for the bytes of a script, reading no file.
void loadShowText(const std::string& bytes, LoadedShow& show);
