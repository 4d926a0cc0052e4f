// The first half of loading a script: raw bytes to physical lines, and
// physical lines to the preprocessed line list (comments, definitions,
// continuations, names and seconds resolved). Used by CScript::init and by
// tools that want the lines before the option pass.
#pragma once

#include <string>
#include <vector>

class CScript;

// Splits file bytes into physical lines. LF ends a line and one CR right
// before it is dropped; the last line needs no LF. Any other byte, NUL
// included, stays in its line.
std::vector<std::string> splitLines(const std::string& bytes);

// Preprocesses the physical lines into s.lines, ending with "@end", and
// fills s.lineNumbers, s.runawayLines and s.joinedLines. Reads and changes
// s.defines; reads s.glConstants (fill it first with s.defineInit()).
void preprocess(const std::vector<std::string>& physical, CScript& s);
