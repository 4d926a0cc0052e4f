#include "source_map.h"

#include <algorithm>

#include "script/words.h"

namespace {

// Definitions looked through, in a whole check, to say which one a word came
// from; far above what real shows need. Past it findings go without the note.
const size_t kWorkBound = size_t(1) << 20;

std::vector<std::string> splitWords(const std::string& text) {
    std::vector<std::string> words;
    size_t pos = 0, begin, end;
    while (nextWord(text, pos, begin, end)) {
        words.push_back(text.substr(begin, end - begin));
        pos = end;
    }
    return words;
}

// A "Define" word, then the name, one separator, and the rest of the line.
bool readDefinition(const std::string& text, int line, Definition& d) {
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

}  // namespace

SourceMap::SourceMap(std::vector<std::string> physical) : physical_(std::move(physical)) {
    for (size_t i = 0; i < physical_.size(); i++) {
        const std::string& text = physical_[i];
        if (text.empty() || text[0] == '#') continue;
        if (text == "@end") break;
        Definition d;
        if (!readDefinition(text, int(i) + 1, d)) continue;
        byName_[d.name].push_back(definitions_.size());
        definitions_.push_back(std::move(d));
    }
    // A definition's text names those written before it.
    held_.resize(definitions_.size());
    for (size_t i = 0; i < definitions_.size(); i++)
        for (std::string& w : splitWords(definitions_[i].text)) {
            const size_t inner = definitionAt(w, definitions_[i].line);
            if (held_[i].words.insert(std::move(w)).second && inner != kNone) held_[i].inner.push_back(inner);
        }
}

int SourceMap::lastLineOf(int line) const {
    int last = line;
    for (;;) {
        if (last < 1 || size_t(last) >= physical_.size()) return last;
        const std::string& text = physical_[size_t(last) - 1];
        size_t pos = 0, begin = 0, end = 0;
        bool any = false;
        for (size_t b, e; nextWord(text, pos, b, e); pos = e) begin = b, end = e, any = true;
        if (!any || text.compare(begin, end - begin, "\\") != 0) return last;
        last++;
    }
}

// The latest definition of name written before line (binary search: the
// definitions of a name are in line order).
size_t SourceMap::definitionAt(const std::string& name, int line) const {
    const auto found = byName_.find(name);
    if (found == byName_.end()) return kNone;
    const std::vector<size_t>& all = found->second;
    const auto after = std::partition_point(all.begin(), all.end(), [&](size_t d) { return definitions_[d].line < line; });
    return after == all.begin() ? kNone : *(after - 1);
}

bool SourceMap::definedBefore(const std::string& name, int line) const { return definitionAt(name, line) != kNone; }

// Whether word comes out of definition's text, directly or through the
// definitions it names. Each definition is looked at once per word: what a
// search finds is kept for all of them.
bool SourceMap::holds(size_t definition, const std::string& word) const {
    std::unordered_map<size_t, bool>& known = known_[word];
    if (const auto k = known.find(definition); k != known.end()) return k->second;
    std::vector<size_t> stack{definition};
    std::unordered_map<size_t, size_t> from{{definition, kNone}};  // how the search reached each one
    while (!stack.empty()) {
        if (++work_ > kWorkBound) return false;
        const size_t d = stack.back();
        stack.pop_back();
        if (held_[d].words.count(word)) {
            for (size_t on = d; on != kNone; on = from[on]) known[on] = true;
            return true;
        }
        for (size_t inner : held_[d].inner) {
            const auto k = known.find(inner);
            if (k != known.end() && k->second) {
                for (size_t on = d; on != kNone; on = from[on]) known[on] = true;
                return true;
            }
            if (k == known.end() && from.emplace(inner, d).second) stack.push_back(inner);
        }
    }
    // Everything reached was looked through.
    for (const auto& entry : from) known[entry.first] = false;
    return false;
}

const SourceMap::LogicalLine& SourceMap::logicalLine(int line) const {
    if (last_.line == line) return last_;
    last_ = LogicalLine{};
    last_.line = line;
    std::unordered_set<size_t> used;
    for (int l = line, last = lastLineOf(line); l <= last && l >= 1 && size_t(l) <= physical_.size(); l++) {
        const std::string& text = physical_[size_t(l) - 1];
        size_t pos = 0, begin, end;
        for (; nextWord(text, pos, begin, end); pos = end) {
            const std::string_view w(text.data() + begin, end - begin);
            const size_t d = definitionAt(std::string(w), line);
            if (d != kNone && used.insert(d).second) last_.uses.push_back({d, l});
            last_.words.push_back({w, l});
        }
    }
    return last_;
}

Location SourceMap::locate(int line, const std::string& word, int occurrence) const {
    const LogicalLine& logical = logicalLine(line);
    int seen = 0;
    for (const auto& [w, l] : logical.words)
        if (w == word && ++seen == occurrence) return {l, {}};
    // Not written on the lines: look for a definition used there that holds it.
    for (const auto& [d, l] : logical.uses)
        if (holds(d, word))
            return {l, "in the text of " + definitions_[d].name + " (line " + std::to_string(definitions_[d].line) + ")"};
    return {line, {}};
}
