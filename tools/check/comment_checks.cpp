// Comments that do not start in the first column: the player reads their
// words as script, and the other checks would find fault with each word.
#include <set>

#include "checks.h"
#include "script/words.h"

namespace {

bool isIndentedComment(const std::string& text) {
    size_t begin, end;
    return nextWord(text, 0, begin, end) && begin > 0 && text[begin] == '#';
}

bool holdsWord(const std::string& text, const char* word) {
    size_t pos = 0, begin, end;
    while (nextWord(text, pos, begin, end)) {
        if (text.compare(begin, end - begin, word) == 0) return true;
        pos = end;
    }
    return false;
}

const Statement* statementOn(const LoadedShow& show, int line) {
    for (const Statement& s : show.statements)
        if (s.line == line) return &s;
    return nullptr;
}

// What the player makes of the line, and how bad that is.
std::string effect(const LoadedShow& show, int line, const std::string& text, Severity& severity) {
    severity = Severity::Error;
    if (const Statement* s = statementOn(show, line))
        return s->ends ? "a statement whose 'end' ends the show here" : "a statement";
    const struct {
        const char* word;
        const char* does;
    } keywords[] = {{"Define", "'Define' defines a name"},
                    {"Default", "'Default' takes the words after it as options"},
                    {"Sync", "'Sync' makes a sync list of the words after it"},
                    {"@sync", "'@sync' starts the timeline"}};
    for (const auto& k : keywords)
        if (holdsWord(text, k.word)) return k.does;
    severity = Severity::Warning;
    return "words the option pass passes over";
}

}  // namespace

void checkIndentedComments(const CheckInput& in, Findings& findings) {
    const std::vector<std::string>& lines = in.show.physical;
    std::set<int> indented;
    for (size_t i = 0; i < lines.size() && lines[i] != "@end"; i++)
        if (isIndentedComment(lines[i])) indented.insert(int(i) + 1);
    if (indented.empty()) return;
    // One finding for the line instead of one for each of its words.
    Findings kept;
    for (const Finding& f : findings.all())
        if (f.file != Findings::kScript || !indented.count(f.line)) kept.add(f.file, f.line, f.severity, f.message);
    for (int line : indented) {
        Severity severity;
        const std::string what = effect(in.show, line, lines[size_t(line) - 1], severity);
        kept.add(Findings::kScript, line, severity,
                 "a comment starts in the first column: after blanks, '#' starts none and the line is read as script: " + what);
    }
    findings = kept;
}
