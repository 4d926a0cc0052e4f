// Comments the player reads as script: those that do not start in the first
// column, and those a backslash on the line before joins to that line. The
// other checks would find fault with each of their words; the cause is
// named once instead.
#include <algorithm>
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

// Statements are in file order.
const Statement* statementOn(const LoadedShow& show, int line) {
    const auto s = std::lower_bound(show.statements.begin(), show.statements.end(), line,
                                    [](const Statement& a, int l) { return a.line < l; });
    return s != show.statements.end() && s->line == line ? &*s : nullptr;
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

// The script findings of lines, dropped: one finding names their cause.
void dropLineFindings(Findings& findings, const std::set<int>& lines) {
    Findings kept;
    for (const Finding& f : findings.all())
        if (f.file != Findings::kScript || !lines.count(f.line)) kept.add(f.file, f.line, f.severity, f.message);
    findings = kept;
}

void reportJoinedComment(const CheckInput& in, const JoinedLine& j, const std::set<int>& comments, Findings& findings) {
    const std::vector<std::string>& lines = in.show.physical;
    // A comment joined to another is reported with the first.
    int last = j.line + 1;
    while (comments.count(last + 1)) last++;
    std::string joined;
    for (int l = j.line + 1; l <= last && size_t(l) <= lines.size(); l++) joined += lines[size_t(l) - 1] + " ";
    const bool several = last > j.line + 1;
    std::string message = "the '\\' at the end of this line joins the " +
                          (several ? "comments on lines " + std::to_string(j.line + 1) + " to " + std::to_string(last)
                                   : "comment on line " + std::to_string(j.line + 1)) +
                          " to it, and " + (several ? "their" : "its") + " words are read as script";
    Severity severity = Severity::Error;
    if (const Statement* s = statementOn(in.show, j.start)) {
        message += ", as words of this statement";
        if (s->ends && holdsWord(joined, "end")) message += ": its 'end' ends the show here";
    } else if (holdsWord(lines[size_t(j.start) - 1], "Define")) {
        message += ", as part of the definition's text";
    } else {
        message += ": " + effect(in.show, j.start, joined + lines[size_t(j.start) - 1], severity);
    }
    findings.add(Findings::kScript, j.line, severity, message + " (take the '\\' away to keep the comment a comment)");
}

void reportJoinedEnd(const CheckInput& in, const JoinedLine& j, Findings& findings) {
    const std::vector<std::string>& lines = in.show.physical;
    bool holdsEnd = false;
    for (int l = j.start; l <= j.line && size_t(l) <= lines.size(); l++) {
        const std::string& text = lines[size_t(l) - 1];
        // The first word of a statement is its time, never a keyword.
        size_t pos = 0, begin, end;
        for (bool first = l == j.start; nextWord(text, pos, begin, end); pos = end, first = false)
            if (!first && text.compare(begin, end - begin, "end") == 0) holdsEnd = true;
    }
    findings.error(j.line, "the '\\' at the end of this line joins the end marker \"@end\" (line " +
                               std::to_string(j.line + 1) + ") to it: the script ends there, and the player drops " +
                               (j.start < j.line ? "this line (from line " + std::to_string(j.start) + ")"
                                                 : std::string("this line")) +
                               (holdsEnd ? " with its 'end', so the show never ends by itself" : "") +
                               " (take the '\\' away)");
}

}  // namespace

const JoinedLine* droppedEnd(const LoadedShow& show) {
    for (const JoinedLine& j : show.joinedLines)
        if (j.what == Joined::EndMarker) return &j;
    return nullptr;
}

void checkJoinedLines(const CheckInput& in, Findings& findings) {
    std::set<int> comments;  // the comment lines joined
    for (const JoinedLine& j : in.show.joinedLines)
        if (j.what == Joined::Comment) comments.insert(j.line + 1);
    if (!comments.empty()) dropLineFindings(findings, comments);
    for (const JoinedLine& j : in.show.joinedLines) {
        if (j.what == Joined::EndMarker) reportJoinedEnd(in, j, findings);
        else if (!comments.count(j.line)) reportJoinedComment(in, j, comments, findings);
    }
}

void checkIndentedComments(const CheckInput& in, Findings& findings) {
    const std::vector<std::string>& lines = in.show.physical;
    std::set<int> indented;
    for (size_t i = 0; i < lines.size() && lines[i] != "@end"; i++)
        if (isIndentedComment(lines[i])) indented.insert(int(i) + 1);
    if (indented.empty()) return;
    // One finding for the line instead of one for each of its words.
    dropLineFindings(findings, indented);
    for (int line : indented) {
        Severity severity;
        const std::string what = effect(in.show, line, lines[size_t(line) - 1], severity);
        findings.add(Findings::kScript, line, severity,
                     "a comment starts in the first column: after blanks, '#' starts none and the line is read as "
                     "script: " + what);
    }
}
