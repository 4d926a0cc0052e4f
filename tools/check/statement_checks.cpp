// Word by word: what the parser will make of each statement.
#include <algorithm>
#include <cstdio>

#include "checks.h"
#include "grammar.h"
#include "nearest.h"
#include "script/words.h"
#include "unknown_words.h"

namespace {

const int kMaxPerStatement = 20;

struct StatementCheck {
    const CheckInput& in;
    Findings& findings;
    const Statement& s;
    const StatementShape& shape;

    mutable int reported = 0;

    // A statement of thousands of faults gets a few findings and a note.
    void report(Severity severity, const Word& w, std::string message) const {
        if (++reported > kMaxPerStatement) {
            if (reported == kMaxPerStatement + 1)
                findings.warning(s.line, "more findings in this statement are left out");
            return;
        }
        const Location at = wordLocation(in, s, shape, w);
        if (!at.note.empty()) message += " (" + at.note + ")";
        findings.add(Findings::kScript, at.line, severity, message);
    }
};

std::string quoted(const std::string& word) { return "'" + word + "'"; }

bool hasEnding(const std::string& word, const char* a, const char* b) {
    if (word.size() < 4) return false;
    const std::string ending = word.substr(word.size() - 4);
    return ending == a || ending == b;
}

// The names the loader replaces: a misspelt one reaches the parser as a word.
std::vector<std::string> builtinNames() {
    CScript names;
    names.defineInit();
    std::vector<std::string> list;
    for (const auto& entry : names.glConstants) list.push_back(entry.first);
    return list;
}

std::string suggestion(const std::string& word, const std::vector<std::string>& candidates) {
    const std::string near = nearestWord(word, candidates);
    return near.empty() ? std::string() : "; did you mean " + quoted(near) + "?";
}

void checkStartTime(const StatementCheck& c) {
    const Word& first = c.shape.words.front();
    int32_t value = 0;
    if (!readInt(first.text, value))
        c.report(Severity::Error, first, "the statement starts with " + quoted(first.text) + ", not a time; it is read as 0");
    else if (!wholeInt(first.text))
        c.report(Severity::Warning, first, "the start time " + quoted(first.text) + " is read as " + std::to_string(value) +
                                               " ms (seconds need a point and nothing after the number)");
}

bool definedBefore(const StatementCheck& c, const std::string& name) {
    for (const Definition& d : c.in.source.definitions())
        if (d.name == name && d.line < c.s.line) return true;
    return false;
}

// One finding per stray word, however often it stands in the statement;
// the operands written after it are its own, not words to look for apart.
void checkStray(const StatementCheck& c, const std::vector<std::string>& candidates) {
    const auto& names = c.in.show.definitionNames;
    const std::vector<UnknownWord> unknown = unknownWords(c.shape);
    std::vector<std::string> seen;
    for (const UnknownWord& u : unknown) {
        const Word& w = u.word;
        if (std::find(seen.begin(), seen.end(), w.text) != seen.end()) continue;
        seen.push_back(w.text);
        const auto copies = std::count_if(unknown.begin(), unknown.end(),
                                          [&](const UnknownWord& other) { return other.word.text == w.text; });
        std::string message = quoted(w.text) + (copies > 1 ? " (" + std::to_string(copies) + " times)" : "") +
                              " is not a keyword and is ignored" + operandsIgnored(u);
        if (w.text == "to")
            message = "'to' follows no clause that can change over time and is ignored";
        else if (std::find(names.begin(), names.end(), w.text) != names.end())
            message += definedBefore(c, w.text) ? ": its definition never stopped expanding"
                                                : ": it is defined only further down the script";
        else
            message += suggestion(w.text, candidates);
        c.report(Severity::Warning, w, message);
    }
}

void checkNumber(const StatementCheck& c, const Clause& clause, const Word& w, bool isInt) {
    if (isInt ? wholeInt(w.text) : wholeFloat(w.text)) return;
    const std::string of = " (operand of " + quoted(clause.keyword.text) + ")";
    int32_t i = 0;
    float f = 0;
    if (isInt ? readInt(w.text, i) : readFloat(w.text, f)) {
        char read[32];
        if (isInt) std::snprintf(read, sizeof read, "%d", int(i));
        else std::snprintf(read, sizeof read, "%g", double(f));
        c.report(Severity::Warning, w, quoted(w.text) + " is not a number" + of + "; it is read as " + read);
        return;
    }
    std::string message = quoted(w.text) + " is not a number" + of + "; the value stays as it was";
    if (keywordRule(w.text)) message += "; the operand is missing before " + quoted(w.text);
    else if (w.text.compare(0, 3, "GL_") == 0) message += suggestion(w.text, builtinNames());
    c.report(Severity::Warning, w, message);
}

void checkImage(const StatementCheck& c, const Word& w) {
    if (c.in.data.has(w.text, AssetKind::Texture)) return;
    const std::string hint = c.in.data.hint(w.text, AssetKind::Texture);
    c.report(Severity::Error, w, "no image " + quoted(w.text) + " in data" + (hint.empty() ? "" : "; " + hint));
}

void checkModel(const StatementCheck& c, const Word& w) {
    if (c.in.data.has(w.text, AssetKind::Model)) return;
    const std::string hint = c.in.data.hint(w.text, AssetKind::Model);
    c.report(Severity::Error, w, "no model " + quoted(w.text) + " in data" + (hint.empty() ? "" : "; " + hint));
}

// A name the parser does not take for a name is read as a number.
void checkNumberName(const StatementCheck& c, const Clause& clause, const Word& w) {
    if (wholeInt(w.text)) return;
    if (keywordRule(w.text)) {
        c.report(Severity::Warning, w, quoted(clause.keyword.text) + " lacks its name: " + quoted(w.text) + " is taken for it");
        return;
    }
    const bool model = stemOf(w.text) != w.text && sameIgnoringCase(w.text.substr(w.text.size() - 3), "3ds");
    const std::string hint = c.in.data.hint(w.text, model ? AssetKind::Model : AssetKind::Texture);
    c.report(Severity::Error, w,
             quoted(w.text) + " is no image or model name (the player reads names ending in .jpg, .JPG, .3ds or .3DS)" +
                 (hint.empty() ? "" : "; " + hint));
}

void checkObject(const StatementCheck& c, const Clause& clause, const Word& w) {
    if (hasEnding(w.text, ".jpg", ".JPG")) checkImage(c, w);
    else if (hasEnding(w.text, ".3ds", ".3DS")) checkModel(c, w);
    else checkNumberName(c, clause, w);
}

void checkMask(const StatementCheck& c, const Clause& clause, const Word& w) {
    if (hasEnding(w.text, ".jpg", ".JPG")) checkImage(c, w);
    else if (hasEnding(w.text, ".3ds", ".3DS"))
        c.report(Severity::Error, w, "a mask must be an image, not the model " + quoted(w.text));
    else checkNumberName(c, clause, w);
}

void checkMissing(const StatementCheck& c, const Clause& clause) {
    if (clause.missing == 0) return;
    const std::string what = clause.animated ? "'to' of " + quoted(clause.keyword.text) + " lacks its end values"
                                             : quoted(clause.keyword.text) + " lacks its operands";
    c.report(Severity::Warning, clause.keyword, what + " at the end of the statement");
}

void checkClause(const StatementCheck& c, const Clause& clause) {
    for (const Word& w : clause.operands) {
        switch (clause.rule->kind) {
        case OperandKind::Int: checkNumber(c, clause, w, true); break;
        case OperandKind::Float: checkNumber(c, clause, w, false); break;
        case OperandKind::Object: checkObject(c, clause, w); break;
        case OperandKind::Mask: checkMask(c, clause, w); break;
        }
    }
    checkMissing(c, clause);
}

const Clause* findClause(const StatementShape& shape, const char* keyword) {
    for (const Clause& clause : shape.clauses)
        if (clause.keyword.text == keyword) return &clause;
    return nullptr;
}

// "angle" and "rotate" switch rotation on together; one without the other
// rotates with whatever the record held.
void checkRotation(const StatementCheck& c) {
    const Clause* angle = findClause(c.shape, "angle");
    const Clause* rotate = findClause(c.shape, "rotate");
    if (rotate && !angle)
        c.report(Severity::Warning, rotate->keyword, "'rotate' without 'angle': the angle is left from an earlier statement or 0");
    if (angle && !rotate)
        c.report(Severity::Warning, angle->keyword, "'angle' without 'rotate': the axis is left from an earlier statement or none");
}

}  // namespace

Location wordLocation(const CheckInput& in, const Statement& s, const StatementShape& shape, const Word& w) {
    int occurrence = 0;
    for (size_t i = 0; i <= w.index && i < shape.words.size(); i++)
        if (shape.words[i].text == w.text) occurrence++;
    return in.source.locate(s.line, w.text, occurrence);
}

void checkStatements(const CheckInput& in, Findings& findings) {
    std::vector<std::string> candidates = keywordList();
    candidates.insert(candidates.end(), in.show.definitionNames.begin(), in.show.definitionNames.end());
    for (const Statement& s : in.show.statements) {
        const StatementShape shape = statementShape(s.text);
        if (shape.words.empty()) continue;
        const StatementCheck c{in, findings, s, shape};
        checkStartTime(c);
        checkStray(c, candidates);
        for (const Clause& clause : shape.clauses) checkClause(c, clause);
        checkRotation(c);
    }
}
