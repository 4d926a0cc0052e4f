// Word by word: what the parser will make of each statement.
#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "checks.h"
#include "grammar.h"
#include "nearest.h"
#include "script/expand.h"  // Required for: isDecimal, secondsToMs
#include "script/words.h"
#include "unknown_words.h"

namespace {

// What the words of statements are compared with for suggestions.
struct Known {
    NearWords words;     // keywords and defined names
    NearWords builtins;  // the GL_ names the loader replaces
    std::unordered_set<std::string> defined;
};

// The kinds of finding that can come by the thousand in one statement, as
// the line that counts what is left out names them.
const char* const kIgnoredWords = "ignored words";
const char* const kNotNumbers = "operands that are not numbers";
const char* const kNoImages = "images that are not in data";
const char* const kNoModels = "models that are not in data";
const char* const kNoNames = "object or mask names the player cannot use";
const char* const kLacking = "clauses that lack operands";

struct StatementCheck {
    const CheckInput& in;
    const Known& known;
    const Statement& s;
    const StatementShape& shape;
    LineFindings& listed;

    // Whether a finding of kind is listed: the caller works out its message only then.
    bool list(const char* kind, Severity severity) const { return listed.list(kind, severity); }
    void report(Severity severity, const Word& w, std::string message) const {
        const Location at = wordLocation(in, s, shape, w);
        if (!at.note.empty()) message += " (" + at.note + ")";
        listed.findings().add(Findings::kScript, at.line, severity, message);
    }
    void reportIfListed(const char* kind, Severity severity, const Word& w, const std::string& message) const {
        if (list(kind, severity)) report(severity, w, message);
    }
};

std::string quoted(const std::string& word) { return "'" + word + "'"; }

// Whether word ends in one of the two endings (each of 4 bytes).
bool hasEnding(const std::string& word, const char* a, const char* b) {
    return word.size() >= 4 && (word.compare(word.size() - 4, 4, a) == 0 || word.compare(word.size() - 4, 4, b) == 0);
}

// The names the loader replaces: a misspelt one reaches the parser as a word.
std::vector<std::string> builtinNames() {
    CScript names;
    names.defineInit();
    std::vector<std::string> list;
    for (const auto& entry : names.glConstants) list.push_back(entry.first);
    return list;
}

std::string suggestion(const NearWords& candidates, const std::string& word) {
    const std::string near = candidates.nearest(word);
    return near.empty() ? std::string() : "; did you mean " + quoted(near) + "?";
}

// The first word written on the statement's line when it is a defined
// name: the start time then comes from its text. Empty otherwise.
std::string definedFirstWord(const StatementCheck& c) {
    const std::vector<std::string>& physical = c.in.show.physical;
    if (c.s.line < 1 || size_t(c.s.line) > physical.size()) return {};
    const std::string& text = physical[size_t(c.s.line) - 1];
    size_t begin, end;
    if (!nextWord(text, 0, begin, end)) return {};
    std::string word = text.substr(begin, end - begin);
    return c.in.source.definedBefore(word, c.s.line) ? word : std::string();
}

void checkStartTime(const StatementCheck& c) {
    const Word& first = c.shape.words.front();
    int32_t value = 0;
    const std::string name = isDecimal(first.text) ? definedFirstWord(c) : std::string();
    if (!name.empty() && readInt(first.text, value)) {
        // The loader converts a first word before it replaces names, never after.
        c.listed.findings().warning(c.s.line,
                 "the start time " + quoted(first.text) + " comes from the definition of " + name +
                     ", and a time a definition supplies as the first word is not converted from seconds: it is read "
                     "as " + std::to_string(value) + " ms; start the line with the time itself, or define it in "
                     "milliseconds ('Define " + name + " " + secondsToMs(first.text) + "')");
    } else if (!readInt(first.text, value))
        c.report(Severity::Error, first, "the statement starts with " + quoted(first.text) + ", not a time; it is read as 0");
    else if (!wholeInt(first.text))
        c.report(Severity::Warning, first, "the start time " + quoted(first.text) + " is read as " + std::to_string(value) +
                                               " ms (seconds need a point and nothing after the number)");
}

// The player cut this statement's line off at its bound on expansion
// (runaway lines are recorded in file order).
bool cutAtBound(const StatementCheck& c) {
    const auto& lines = c.in.show.runawayLines;
    auto r = std::lower_bound(lines.begin(), lines.end(), c.s.line,
                              [](const RunawayLine& a, int line) { return a.line < line; });
    for (; r != lines.end() && r->line == c.s.line; ++r)
        if (r->kind == Runaway::Size) return true;
    return false;
}

// One finding per stray word, however often it stands in the statement;
// the operands written after it are its own, not words to look for apart.
void checkStray(const StatementCheck& c) {
    const std::vector<UnknownWord> unknown = unknownWords(c.shape);
    std::unordered_map<std::string_view, size_t> copies(unknown.size());
    for (const UnknownWord& u : unknown) copies[u.word.text]++;
    for (const UnknownWord& u : unknown) {
        const Word& w = u.word;
        size_t& count = copies.find(w.text)->second;
        if (count == 0) continue;  // reported at its first copy
        const size_t n = count;
        count = 0;
        if (!c.list(kIgnoredWords, Severity::Warning)) continue;
        std::string message = quoted(w.text) + (n > 1 ? " (" + std::to_string(n) + " times)" : "") +
                              " is not a keyword and is ignored" + operandsIgnored(u);
        if (w.text == "to")
            message = "'to' follows no clause that can change over time and is ignored";
        else if (c.known.defined.count(w.text))
            message += !c.in.source.definedBefore(w.text, c.s.line) ? ": it is defined only further down the script"
                       : cutAtBound(c) ? ": its expansion passed the player's bound and was cut off"
                                       : ": its definition never stopped expanding";
        else
            message += suggestion(c.known.words, w.text);
        c.report(Severity::Warning, w, message);
    }
}

void checkNumber(const StatementCheck& c, const Clause& clause, const Word& w, bool isInt) {
    if (isInt ? wholeInt(w.text) : wholeFloat(w.text)) return;
    if (!c.list(kNotNumbers, Severity::Warning)) return;
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
    else if (w.text.compare(0, 3, "GL_") == 0) message += suggestion(c.known.builtins, w.text);
    c.report(Severity::Warning, w, message);
}

void checkImage(const StatementCheck& c, const Word& w) {
    if (c.in.data.has(w.text, AssetKind::Texture) || !c.list(kNoImages, Severity::Error)) return;
    const std::string hint = c.in.data.hint(w.text, AssetKind::Texture);
    c.report(Severity::Error, w, "no image " + quoted(w.text) + " in data" + (hint.empty() ? "" : "; " + hint));
}

void checkModel(const StatementCheck& c, const Word& w) {
    if (c.in.data.has(w.text, AssetKind::Model) || !c.list(kNoModels, Severity::Error)) return;
    const std::string hint = c.in.data.hint(w.text, AssetKind::Model);
    c.report(Severity::Error, w, "no model " + quoted(w.text) + " in data" + (hint.empty() ? "" : "; " + hint));
}

// A name the parser does not take for a name is read as a number.
void checkNumberName(const StatementCheck& c, const Clause& clause, const Word& w) {
    if (wholeInt(w.text)) return;
    if (keywordRule(w.text)) {
        c.reportIfListed(kNoNames, Severity::Warning, w,
                         quoted(clause.keyword.text) + " lacks its name: " + quoted(w.text) + " is taken for it");
        return;
    }
    if (!c.list(kNoNames, Severity::Error)) return;
    const bool model = stemOf(w.text) != w.text && w.text.size() >= 3 &&
                       sameIgnoringCase(w.text.substr(w.text.size() - 3), "3ds");
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
        c.reportIfListed(kNoNames, Severity::Error, w, "a mask must be an image, not the model " + quoted(w.text));
    else checkNumberName(c, clause, w);
}

void checkMissing(const StatementCheck& c, const Clause& clause) {
    if (clause.missing == 0) return;
    const std::string what = clause.animated ? "'to' of " + quoted(clause.keyword.text) + " lacks its end values"
                                             : quoted(clause.keyword.text) + " lacks its operands";
    c.reportIfListed(kLacking, Severity::Warning, clause.keyword, what + " at the end of the statement");
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

// The blend factors GL takes: GL 1.4's, the constant-colour ones and the
// second source's (GL 3.3); it refuses glBlendFunc with any other number.
bool blendFactorTaken(int32_t factor) {
    switch (factor) {
    case 0:  // GL_ZERO
    case 1:  // GL_ONE
    case 0x8001: case 0x8002: case 0x8003: case 0x8004:  // GL_CONSTANT_COLOR ... GL_ONE_MINUS_CONSTANT_ALPHA
    case 0x8589: case 0x88F9: case 0x88FA: case 0x88FB:  // GL_SRC1_ALPHA, GL_SRC1_COLOR, GL_ONE_MINUS_SRC1_...
        return true;
    default:
        return factor >= 0x300 && factor <= 0x308;  // GL_SRC_COLOR ... GL_SRC_ALPHA_SATURATE
    }
}

// A pair GL refuses leaves the factors GL holds, which an earlier scene,
// even one in an earlier frame, set.
void checkBlendFactors(const StatementCheck& c) {
    for (const Clause& clause : c.shape.clauses) {
        if (clause.keyword.text != "blendFunc" || clause.operands.size() != 2) continue;
        std::string refused;
        for (const Word& w : clause.operands) {
            int32_t factor = 0;
            if (!wholeInt(w.text) || !readInt(w.text, factor) || blendFactorTaken(factor)) continue;
            refused += (refused.empty() ? "" : " and ") + quoted(w.text);
        }
        if (refused.empty()) continue;
        c.report(Severity::Warning, clause.keyword,
                 "GL refuses 'blendFunc " + clause.operands[0].text + " " + clause.operands[1].text + "' (" + refused +
                     " is no blend factor) and blends with the factors it holds: those of the last scene drawn "
                     "with 'blend' and factors GL takes, in this frame or an earlier one (GL_ONE GL_ZERO before "
                     "any); write GL names such as GL_SRC_ALPHA GL_ONE");
    }
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
    const Known known{NearWords(std::move(candidates)), NearWords(builtinNames()),
                      {in.show.definitionNames.begin(), in.show.definitionNames.end()}};
    for (const Statement& s : in.show.statements) {
        const StatementShape shape = statementShape(s.text);
        if (shape.words.empty()) continue;
        LineFindings listed(findings, s.line, "in this statement");
        const StatementCheck c{in, known, s, shape, listed};
        checkStartTime(c);
        checkStray(c);
        for (const Clause& clause : shape.clauses) checkClause(c, clause);
        checkRotation(c);
        checkBlendFactors(c);
        listed.finish();
    }
}
