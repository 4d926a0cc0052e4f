// The author's file as physical lines, to point a finding at the line a word
// was written on: a continued statement spans several lines, and a word can
// come from the text of a definition.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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
    // Whether name has a definition written before line.
    bool definedBefore(const std::string& name, int line) const;

private:
    static constexpr size_t kNone = size_t(-1);
    struct Held {
        std::unordered_set<std::string> words;  // of its text
        std::vector<size_t> inner;              // definitions its text names, each once
    };
    // The words of the logical line last asked about, kept for the next
    // question: the findings of one line come together.
    struct LogicalLine {
        int line = 0;
        std::vector<std::pair<std::string_view, int>> words;  // each with its physical line
        std::vector<std::pair<size_t, int>> uses;            // definitions used, each once, and where
    };

    const LogicalLine& logicalLine(int line) const;
    size_t definitionAt(const std::string& name, int line) const;
    bool holds(size_t definition, const std::string& word) const;

    std::vector<std::string> physical_;
    std::vector<Definition> definitions_;
    std::vector<Held> held_;                                      // one per definition
    std::unordered_map<std::string, std::vector<size_t>> byName_; // definitions of each name, in line order
    mutable LogicalLine last_;
    // What searches through definitions learnt, and how much they may still do.
    mutable std::unordered_map<std::string, std::unordered_map<size_t, bool>> known_;
    mutable size_t work_ = 0;
};
