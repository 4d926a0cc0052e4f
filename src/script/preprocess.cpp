#include "script/preprocess.h"

#include <algorithm>  // Required for: std::min, std::copy
#include <bitset>
#include <cstdint>
#include <cstdio>     // Required for: std::fprintf (warnings)
#include <map>

#include "script/script.h"
#include "script/words.h"

namespace {

// Bounds on the expansion of one physical line, so that a definition whose
// text names itself (directly or through others) stops: when one is reached
// the line is passed on as it stands. They are far above what a real show needs.
const size_t kBaseReplacements = 1000;  // plus 4 per byte of the line
const size_t kBaseGrowth = size_t(256) << 10;  // bytes; plus 16 per byte of the line
const size_t kRescanLimit = size_t(64) << 20;  // bytes re-read by restarts
// What all lines of one load may grow by together, so that many runaway
// lines cannot exhaust memory either; plus 4 per byte of the file.
const size_t kBaseBudget = size_t(64) << 20;

// Digits and points only, with at least one of each: a time in seconds.
bool isDecimal(const std::string& word) {
    bool digit = false, point = false;
    for (char c : word) {
        if (c >= '0' && c <= '9') digit = true;
        else if (c == '.') point = true;
        else return false;
    }
    return digit && point;
}

// Seconds to whole milliseconds, truncated; beyond 32 bits it saturates.
std::string secondsToMs(const std::string& word) {
    double seconds = 0;
    readDouble(word, seconds);  // '1.2.3' reads as 1.2
    const double ms = seconds * 1000.0;
    const int32_t value = ms >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(ms);
    return std::to_string(value);
}

// Scans the physical lines one logical line at a time. The working text T
// of the line being scanned is kept as done_ (already scanned) followed by
// rest_ from pos_ on. A replacement goes in front of the unscanned part, in
// the room left by what was scanned, so long lines with many names stay
// linear. The scan then resumes at the replacement, which gives the same
// result as re-reading T from its start unless a word already passed could
// now change: a decimal once a "Sync" has been seen or after "duration", or
// anything in a line holding "Define". In those cases T is re-read from its start.
class Preprocessor {
public:
    Preprocessor(const std::vector<std::string>& physical, CScript& s);
    void run();

private:
    void startLine(const std::string& text, int line);
    void startPart(const std::string& text, int line);
    void scan();
    void pass(size_t end, bool decimal);
    bool replace(size_t begin, size_t end, const std::string& with);
    void insertFront(const std::string& with);
    void define(size_t end);
    void continueLine();
    void finishLine();
    bool cut();
    const std::string* lookup(const std::string& word) const;
    std::string text() const;
    size_t length() const { return done_.size() + rest_.size() - pos_; }
    void spend(size_t finalLength);
    void push(std::string line, int number);

    const std::vector<std::string>& physical_;
    CScript& s_;
    std::map<std::string, std::string> builtins_;  // built-in names as decimal text
    std::bitset<256> firstChars_;                  // first bytes of every name, a quick filter
    size_t next_ = 0;                              // next physical line
    size_t budget_ = kBaseBudget;
    bool ended_ = false;                           // "@end" seen

    // The logical line.
    int lineStart_ = 0;
    std::string prev_;        // the previous word P
    bool sync_ = false;       // S: a word followed "Sync"
    bool continued_ = false;  // C
    bool defining_ = false;   // D: the line holds "Define" and is not passed on
    std::string pending_;     // text of the parts before a continuation
    std::string defName_;     // the last name defined in the line
    std::string defPrefix_;   // its text from earlier parts
    size_t defOffset_ = 0;    // where its text starts in T, when defined in this part
    bool defInPart_ = false;

    // The physical part being scanned.
    std::string done_, rest_, word_;
    size_t pos_ = 0;
    int partLine_ = 0;
    size_t partLength_ = 0;
    size_t replacements_ = 0, maxReplacements_ = 0, maxLength_ = 0, rescanned_ = 0;
    bool sawWord_ = false;       // done_ holds a word
    bool prefixDecimal_ = false; // done_ holds a decimal left as written
    bool prefixDefine_ = false;  // done_ holds "Define"
};

Preprocessor::Preprocessor(const std::vector<std::string>& physical, CScript& s)
    : physical_(physical), s_(s) {
    for (const auto& [name, value] : s.glConstants) builtins_[name] = std::to_string(value);
    for (const auto& entry : builtins_) firstChars_.set(static_cast<unsigned char>(entry.first[0]));
    for (const auto& entry : s.defines)
        if (!entry.first.empty()) firstChars_.set(static_cast<unsigned char>(entry.first[0]));
    for (const std::string& line : physical) budget_ += 4 * line.size();
}

void Preprocessor::run() {
    while (!ended_ && next_ < physical_.size()) {
        const std::string& line = physical_[next_];
        const int number = static_cast<int>(++next_);
        if (line.empty() || line[0] == '#') continue;
        startLine(line, number);
        scan();
        finishLine();
    }
    // A missing end marker is supplied; it belongs to the line after the last.
    if (!ended_) push("@end", static_cast<int>(physical_.size()) + 1);
}

void Preprocessor::startLine(const std::string& text, int line) {
    lineStart_ = line;
    prev_.clear();
    sync_ = continued_ = defining_ = false;
    pending_.clear();
    defName_.clear();
    startPart(text, line);
}

void Preprocessor::startPart(const std::string& text, int line) {
    done_.clear();
    rest_ = text;
    pos_ = 0;
    partLine_ = line;
    partLength_ = text.size();
    replacements_ = rescanned_ = 0;
    maxReplacements_ = kBaseReplacements + 4 * text.size();
    maxLength_ = text.size() + std::min(kBaseGrowth + 16 * text.size(), budget_);
    sawWord_ = prefixDecimal_ = prefixDefine_ = defInPart_ = false;
}

void Preprocessor::scan() {
    size_t begin, end;
    while (nextWord(rest_, pos_, begin, end)) {
        word_.assign(rest_, begin, end - begin);
        if (prev_ == "Sync") sync_ = true;
        const bool decimal = isDecimal(word_);
        if (decimal && (prev_.empty() || prev_ == "duration" || sync_)) {
            if (!replace(begin, end, secondsToMs(word_))) return;
        } else if (word_ == "\\") {
            continueLine();
        } else if (word_ == "Define") {
            define(end);
        } else if (const std::string* with = lookup(word_)) {
            if (!replace(begin, end, *with)) return;
        } else {
            pass(end, decimal);
        }
    }
}

void Preprocessor::pass(size_t end, bool decimal) {
    done_.append(rest_, pos_, end - pos_);
    pos_ = end;
    sawWord_ = true;
    prefixDecimal_ = prefixDecimal_ || decimal;
    prev_ = word_;
}

// Replaces word_, at [begin, end) of rest_, and goes on as if the scan had
// restarted at the beginning of T with P set to the replaced word.
bool Preprocessor::replace(size_t begin, size_t end, const std::string& with) {
    if (replacements_ >= maxReplacements_) return cut();
    const size_t newLength = length() - (end - begin) + with.size();
    if (newLength > maxLength_) return cut();
    // After a restart the first word of T follows the replaced word.
    if (word_ == "Sync") sync_ = true;
    const bool reread = prefixDefine_ || (prefixDecimal_ && (sync_ || word_ == "duration"));
    if (reread) {
        if (rescanned_ + newLength > kRescanLimit) return cut();
        std::string t;
        t.reserve(newLength);
        t.append(done_).append(rest_, pos_, begin - pos_).append(with).append(rest_, end);
        rest_.swap(t);
        done_.clear();
        pos_ = 0;
        sawWord_ = prefixDecimal_ = prefixDefine_ = false;
        prev_ = word_;
        rescanned_ += newLength;
    } else {
        done_.append(rest_, pos_, begin - pos_);
        pos_ = end;
        insertFront(with);
        if (!sawWord_) prev_ = word_;
    }
    replacements_++;
    return true;
}

// Puts text in front of the unscanned part of rest_, reusing the scanned
// room before pos_ when it is large enough, else making twice the room needed.
void Preprocessor::insertFront(const std::string& with) {
    if (with.size() <= pos_) {
        pos_ -= with.size();
        std::copy(with.begin(), with.end(), rest_.begin() + pos_);
        return;
    }
    const size_t room = with.size() + (rest_.size() - pos_);
    std::string t;
    t.reserve(room + with.size() + rest_.size() - pos_);
    t.append(room, ' ').append(with).append(rest_, pos_);
    rest_.swap(t);
    pos_ = room;
}

// "Define", then the name, one separator, and the text up to the end of T.
// The scan goes on after the name, so the text is stored with its names
// and times resolved once the restarts have met "Define" again.
void Preprocessor::define(size_t end) {
    pass(end, false);
    prefixDefine_ = true;
    defining_ = true;
    size_t nameBegin, nameEnd;
    if (!nextWord(rest_, pos_, nameBegin, nameEnd)) return;  // no name: defines nothing
    const std::string name(rest_, nameBegin, nameEnd - nameBegin);
    const size_t textStart = std::min(nameEnd + 1, rest_.size());
    defOffset_ = done_.size() + (textStart - pos_);
    s_.defines[name] = rest_.substr(textStart);
    firstChars_.set(static_cast<unsigned char>(name[0]));
    defName_ = name;
    defPrefix_.clear();
    defInPart_ = true;
    done_.append(rest_, pos_, nameEnd - pos_);
    pos_ = nameEnd;
    prev_ = name;
}

// A one-backslash word: T without its last character is kept and the next
// physical line, whatever it holds, becomes T (empty at the end of the file).
void Preprocessor::continueLine() {
    std::string t = text();
    spend(t.size());
    t.pop_back();
    if (defining_ && !defName_.empty()) {
        // A continued definition keeps the joined text, as a joined line would.
        defPrefix_ += t.substr(std::min(defInPart_ ? defOffset_ : 0, t.size()));
        s_.defines[defName_] = defPrefix_;
    }
    pending_ += t;
    continued_ = true;
    if (next_ < physical_.size()) {
        const int number = static_cast<int>(next_ + 1);
        startPart(physical_[next_++], number);
    } else {
        startPart(std::string(), partLine_);
    }
}

void Preprocessor::finishLine() {
    std::string t = text();
    spend(t.size());
    if (t == "@end") {
        push("@end", lineStart_);
        ended_ = true;
    } else if (defining_) {
        if (continued_ && !defName_.empty())
            s_.defines[defName_] = defPrefix_ + t.substr(std::min(defInPart_ ? defOffset_ : 0, t.size()));
    } else if (continued_) {
        push(pending_ + t, lineStart_);
    } else {
        push(std::move(t), lineStart_);
    }
}

// A bound was reached: the scan of this line stops and it stays as it is.
bool Preprocessor::cut() {
    if (s_.runawayLines.empty() || s_.runawayLines.back() != partLine_) {
        s_.runawayLines.push_back(partLine_);
        scriptWarning(partLine_, "definitions keep expanding; the line is used as it stands");
    }
    return false;
}

const std::string* Preprocessor::lookup(const std::string& word) const {
    if (!firstChars_.test(static_cast<unsigned char>(word[0]))) return nullptr;
    // A built-in name wins over a definition of the same name.
    const auto builtin = builtins_.find(word);
    if (builtin != builtins_.end()) return &builtin->second;
    const auto defined = s_.defines.find(word);
    return defined != s_.defines.end() ? &defined->second : nullptr;
}

std::string Preprocessor::text() const {
    std::string t;
    t.reserve(length());
    return t.append(done_).append(rest_, pos_);
}

void Preprocessor::spend(size_t finalLength) {
    if (finalLength > partLength_) budget_ -= std::min(budget_, finalLength - partLength_);
}

void Preprocessor::push(std::string line, int number) {
    s_.lines.push_back(std::move(line));
    s_.lineNumbers.push_back(number);
}

}  // namespace

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t lf = bytes.find('\n', start);
        if (lf == std::string::npos) {
            lines.emplace_back(bytes, start);
            break;
        }
        const size_t end = lf > start && bytes[lf - 1] == '\r' ? lf - 1 : lf;
        lines.emplace_back(bytes, start, end - start);
        start = lf + 1;
    }
    return lines;
}

void preprocess(const std::vector<std::string>& physical, CScript& s) {
    Preprocessor(physical, s).run();
}

void scriptWarning(int line, const std::string& message) {
    std::fprintf(stderr, "korvane: script line %d: %s\n", line, message.c_str());
}
