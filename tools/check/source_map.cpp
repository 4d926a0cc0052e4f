#include "source_map.h"

#include <algorithm>

#include "script/words.h"

static std::vector<std::string> splitWords(const std::string& text) {
    std::vector<std::string> words;
    size_t pos = 0, begin, end;
    while (nextWord(text, pos, begin, end)) {
        words.push_back(text.substr(begin, end - begin));
        pos = end;
    }
    return words;
}

// A "Define" word, then the name, one separator, and the rest of the line.
static bool readDefinition(const std::string& text, int line, Definition& d) {
    size_t pos = 0, begin, end;
    while (nextWord(text, pos, begin, end)) {
        pos = end;
        if (text.compare(begin, end - begin, "Define") != 0) continue;
        if (!nextWord(text, pos, begin, end)) return false;
        d.name = text.substr(begin, end - begin);
        d.text = end + 1 < text.size() ? text.substr(end + 1) : std::string();
        d.line = line;
        return true;
    }
    return false;
}

SourceMap::SourceMap(std::vector<std::string> physical) : physical_(std::move(physical)) {
    for (size_t i = 0; i < physical_.size(); i++) {
        const std::string& text = physical_[i];
        if (text.empty() || text[0] == '#') continue;
        if (text == "@end") break;
        Definition d;
        if (readDefinition(text, int(i) + 1, d)) definitions_.push_back(d);
    }
}

std::vector<std::string> SourceMap::wordsOf(int line) const {
    if (line < 1 || size_t(line) > physical_.size()) return {};
    return splitWords(physical_[size_t(line) - 1]);
}

int SourceMap::lastLineOf(int line) const {
    int last = line;
    for (;;) {
        const std::vector<std::string> words = wordsOf(last);
        if (words.empty() || words.back() != "\\" || size_t(last) >= physical_.size()) return last;
        last++;
    }
}

// The latest definition of name written before line.
const Definition* SourceMap::definitionAt(const std::string& name, int line) const {
    const Definition* found = nullptr;
    for (const Definition& d : definitions_)
        if (d.name == name && d.line < line) found = &d;
    return found;
}

// Depth and steps are bounded: definitions can name themselves or fan out.
bool SourceMap::expandsTo(const Definition& d, const std::string& word, int depth, int& steps) const {
    if (depth > 8) return false;
    for (const std::string& w : splitWords(d.text)) {
        if (w == word) return true;
        if (++steps > 10000) return false;
        const Definition* inner = definitionAt(w, d.line);
        if (inner && expandsTo(*inner, word, depth + 1, steps)) return true;
    }
    return false;
}

Location SourceMap::locate(int line, const std::string& word, int occurrence) const {
    const int last = lastLineOf(line);
    int seen = 0;
    for (int l = line; l <= last; l++)
        for (const std::string& w : wordsOf(l))
            if (w == word && ++seen == occurrence) return {l, {}};
    // Not written on the lines: look for a definition used there that holds it.
    for (int l = line; l <= last; l++)
        for (const std::string& w : wordsOf(l)) {
            const Definition* d = definitionAt(w, line);
            int steps = 0;
            if (d && expandsTo(*d, word, 0, steps))
                return {l, "in the text of " + d->name + " (line " + std::to_string(d->line) + ")"};
        }
    return {line, {}};
}
