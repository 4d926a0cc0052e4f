// The author's file as physical lines, to point a finding at the line a word
// was written on: a continued statement spans several lines, and a word can
// come from the text of a definition.
#pragma once

#include <string>
#include <vector>

struct Definition {
    std::string name;
    std::string text;  // as written, names unresolved
    int line;
};

struct Location {
    int line;
    std::string note;  // e.g. "in the text of FADE (line 2)"; empty when written there
};

class SourceMap {
public:
    explicit SourceMap(std::vector<std::string> physical);

    // The physical lines a logical line starting at line spans: it goes on
    // while a line's last word is a lone backslash.
    int lastLineOf(int line) const;
    // Where the occurrence-th (from 1) copy of word in the logical line
    // starting at line was written. Falls back to line itself.
    Location locate(int line, const std::string& word, int occurrence) const;

    const std::vector<Definition>& definitions() const { return definitions_; }

private:
    std::vector<std::string> wordsOf(int line) const;
    const Definition* definitionAt(const std::string& name, int line) const;
    bool expandsTo(const Definition& d, const std::string& word, int depth, int& steps) const;

    std::vector<std::string> physical_;
    std::vector<Definition> definitions_;
};
