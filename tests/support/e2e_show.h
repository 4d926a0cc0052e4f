// Show directories made from the project's own shows and documentation:
// the sample show's data and the complete scripts of the author's guide.
#pragma once

#include <string>
#include <vector>

#include "support/showdir.h"

// The sample show's data directory in the source tree.
std::string demoDataDir();

// Copies every file of the sample show's data into show (its script too,
// unless withScript is false).
void copyDemoData(const ShowDir& show, bool withScript = true);

// A complete script of the guide: a fenced code block that holds "@sync".
struct GuideExample {
    int line = 0;  // line of the guide where the block starts
    std::string script;
};
std::vector<GuideExample> guideExamples();

// The time in milliseconds of the script's "end" statement, read as the
// player reads a start time (a decimal point means seconds); -1 when none.
int endTime(const std::string& script);
