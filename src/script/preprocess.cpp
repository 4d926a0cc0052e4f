#include "script/preprocess.h"

#include <algorithm>  // Required for: std::min, std::copy
#include <cstdint>
#include <map>
#include <unordered_set>

#include "script/expand.h"
#include "script/script.h"
#include "script/words.h"

namespace {

// Bounds far above what a real show needs; an expansion that passes one is
// cut off there and recorded, and its line goes on as it then stands.
const size_t kLineLimit = size_t(16) << 20;    // bytes one physical line may grow to
const size_t kBaseBudget = size_t(64) << 20;   // growth of all lines together, and the
                                               // definitions' texts; plus 4 per byte of the file
const size_t kBaseWork = size_t(256) << 20;    // what expanding and re-reading may cost in all
                                               // (readCost, copyCost); plus 64 per byte
const size_t kBaseRescan = size_t(256) << 10;  // bytes re-read by restarts in one physical line,
                                               // plus 4 per byte of it (real shows need none)

// Scans the physical lines one logical line at a time. The working text T
// of the line being scanned is kept as done_ (already scanned) followed by
// rest_ from pos_ on. A name's replacement is expanded by the Expander
// straight onto done_; a replacement that has to be read in its line goes
// in front of the unscanned part instead. Either gives what re-reading T
// from its start would give, unless a word already passed could now read
// differently: a decimal once "Sync" was seen, the first word after the
// name "duration", or a word that this line has since defined. Only then is
// T re-read from its start. A definition made in the line takes the text
// that follows it, which keeps changing while the line is scanned: it is
// kept as a position in T (pending) and stored when the line is done.
class Preprocessor {
public:
    Preprocessor(const std::vector<std::string>& physical, CScript& s);
    void run();

private:
    void startLine(const std::string& text, int line);
    void startPart(const std::string& text, int line);
    void scan();
    void pass(size_t end, bool decimal);
    bool expand(size_t begin, size_t end, const std::string& with);
    bool replace(size_t begin, size_t end, const std::string& with);
    bool inlineName(size_t begin, size_t end, const std::string& with);
    bool reread(size_t begin, size_t end, const std::string& with, Runaway bound);
    bool namesItself(size_t begin, size_t end);
    bool needsReread() const { return stale_ || (prefixDecimal_ && sync_) || (firstDecimal_ && word_ == "duration"); }
    void insertFront(const std::string& with);
    void define(size_t end);
    bool passedBefore(const std::string& name, size_t limit);
    void settle(const std::string& t);
    void store(const std::string& name, const std::string& text, size_t from = 0);
    void hold();
    void continueLine();
    void finishLine();
    bool cut(Runaway kind);
    void record(Runaway kind);
    bool spendWork(size_t bytes);
    std::string text() const;
    size_t length() const { return done_.size() + rest_.size() - pos_; }
    void spend(size_t finalLength);
    void push(std::string line, int number);

    const std::vector<std::string>& physical_;
    CScript& s_;
    Names names_;
    Expander expander_;
    size_t next_ = 0;          // next physical line
    size_t budget_ = kBaseBudget;
    size_t work_ = kBaseWork;
    size_t definitionBudget_ = kBaseBudget;
    size_t definitionBytes_ = 0;
    bool ended_ = false;       // "@end" seen

    // The logical line.
    int lineStart_ = 0;
    Prev prev_ = Prev::None;  // the previous word P
    bool sync_ = false;       // S: a word followed "Sync"
    bool continued_ = false;  // C
    int joinedFrom_ = 0;      // the line of the last backslash
    bool defining_ = false;   // D: the line holds "Define" and is not passed on
    std::string pending_;     // text of the parts before a continuation
    std::string defName_;     // the last name defined in the line
    std::string defPrefix_;   // its text from earlier parts
    size_t defOffset_ = 0;    // where its text starts in T, when defined in this part
    bool defInPart_ = false;
    bool held_ = false;       // defPrefix_ is its text for now

    // The physical part being scanned.
    std::string done_, rest_, word_;
    size_t pos_ = 0;
    int partLine_ = 0;
    size_t partLength_ = 0;
    size_t maxLength_ = 0, rescanned_ = 0;
    bool seen_ = false;          // done_ holds a word
    bool prefixDecimal_ = false; // done_ holds a decimal left as written
    bool firstDecimal_ = false;  // the first word of done_ is one
    bool stale_ = false;         // done_ holds a word defined since it was passed
    size_t lastDecimal_ = 0;     // end in done_ of the last such decimal
    size_t indexed_ = 0;         // done_ up to here is in passed_
    std::unordered_set<std::string> passed_;
    // Texts read in the line that the scan is still inside: the name, its
    // state, and how much of rest_ follows the text (which insertions in
    // front leave as it is).
    struct Region {
        std::string key;  // the name and a digit for the state
        size_t tail;
    };
    std::vector<Region> regions_;
    std::unordered_set<std::string> inRegion_;  // their keys
};

Preprocessor::Preprocessor(const std::vector<std::string>& physical, CScript& s)
    : physical_(physical), s_(s), names_(s.glConstants, s.defines), expander_(names_) {
    for (const std::string& line : physical) {
        budget_ += 4 * line.size();
        definitionBudget_ += 4 * line.size();
        work_ += 64 * line.size();
    }
    for (const auto& entry : s.defines) definitionBytes_ += entry.second.size();
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
    prev_ = Prev::None;
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
    rescanned_ = 0;
    maxLength_ = text.size() + std::min(budget_, kLineLimit > text.size() ? kLineLimit - text.size() : 0);
    seen_ = prefixDecimal_ = firstDecimal_ = stale_ = defInPart_ = false;
    lastDecimal_ = indexed_ = 0;
    passed_.clear();
    regions_.clear();
    inRegion_.clear();
}

void Preprocessor::scan() {
    size_t begin, end;
    while (nextWord(rest_, pos_, begin, end)) {
        word_.assign(rest_, begin, end - begin);
        if (prev_ == Prev::Sync) sync_ = true;
        const bool decimal = isDecimal(word_);
        if (decimal && (prev_ == Prev::None || prev_ == Prev::Duration || sync_)) {
            if (!replace(begin, end, secondsToMs(word_))) return;
            continue;
        }
        if (word_ == "\\") {
            continueLine();
            continue;
        }
        if (word_ == "Define") {
            define(end);
            continue;
        }
        const std::string* with = nullptr;
        switch (names_.find(word_, with)) {
        case Names::Kind::None: pass(end, decimal); break;
        case Names::Kind::Text:
            if (!expand(begin, end, *with)) return;
            break;
        case Names::Kind::Pending:
            if (!namesItself(begin, end)) return;
            break;
        }
    }
}

void Preprocessor::pass(size_t end, bool decimal) {
    if (decimal) {
        prefixDecimal_ = true;
        if (!seen_) firstDecimal_ = true;
    }
    done_.append(rest_, pos_, end - pos_);
    pos_ = end;
    seen_ = true;
    prev_ = prevOf(word_);
    if (decimal) lastDecimal_ = done_.size();
}

// Replaces the name word_, at [begin, end) of rest_, by its expansion.
bool Preprocessor::expand(size_t begin, size_t end, const std::string& with) {
    if (word_ == "Sync") sync_ = true;
    if (needsReread()) return replace(begin, end, with);
    const size_t mark = done_.size();
    done_.append(rest_, pos_, begin - pos_);
    ScanState state{prev_, sync_, seen_};
    Expander::Summary before, summary;
    before.decimal = prefixDecimal_;
    before.firstDecimal = firstDecimal_;
    const size_t limit = maxLength_ - (rest_.size() - end);
    switch (expander_.expand(word_, with, before, state, done_, limit, work_, summary)) {
    case Expander::Result::Done: break;
    case Expander::Result::Inline:
        done_.resize(mark);
        return inlineName(begin, end, with);
    case Expander::Result::Cut:
        done_.resize(mark);
        return cut(Runaway::Size);
    case Expander::Result::Cyclic:
        done_.resize(mark);
        record(Runaway::Cycle);
        pass(end, isDecimal(word_));
        return true;
    }
    pos_ = end;
    prev_ = state.prev;
    sync_ = state.sync;
    seen_ = state.seen;
    prefixDecimal_ = prefixDecimal_ || summary.decimal;
    firstDecimal_ = firstDecimal_ || summary.firstDecimal;
    if (summary.decimal) lastDecimal_ = done_.size();
    if (summary.stopped) record(Runaway::Cycle);
    return true;
}

// Replaces word_, at [begin, end) of rest_, by with read in the line, and
// goes on as if the scan had restarted at the beginning of T with P set to
// the replaced word.
bool Preprocessor::replace(size_t begin, size_t end, const std::string& with) {
    if (length() - (end - begin) + with.size() > maxLength_ || !spendWork(copyCost(with.size()))) return cut(Runaway::Size);
    // After a restart the first word of T follows the replaced word.
    if (word_ == "Sync") sync_ = true;
    if (needsReread()) return reread(begin, end, with, Runaway::Size);
    done_.append(rest_, pos_, begin - pos_);
    pos_ = end;
    insertFront(with);
    if (!seen_) prev_ = prevOf(word_);
    return true;
}

// A name whose text is read in the line. Met again inside that text in the
// same state, with no restart of the line in between, it would be read the
// same way again and again: it is left as written.
bool Preprocessor::inlineName(size_t begin, size_t end, const std::string& with) {
    const size_t tail = rest_.size() - end;
    while (!regions_.empty() && regions_.back().tail >= tail + (end - begin)) {
        inRegion_.erase(regions_.back().key);
        regions_.pop_back();
    }
    const ScanState state{seen_ ? prev_ : prevOf(word_), sync_ || word_ == "Sync", seen_};
    std::string key = word_;
    key += char('0' + int(state.prev) * 4 + (state.sync ? 2 : 0) + (state.seen ? 1 : 0));
    if (inRegion_.count(key)) {
        record(Runaway::Cycle);
        pass(end, false);
        return true;
    }
    // Real shows read no text in the line: this is bounded like re-reading.
    if (rescanned_ + with.size() > kBaseRescan + 4 * partLength_ || !spendWork(readCost(with.size())))
        return cut(Runaway::Size);
    const size_t reread = rescanned_ += with.size();
    if (!replace(begin, end, with)) return false;
    if (rescanned_ == reread) {
        inRegion_.insert(key);
        regions_.push_back({std::move(key), tail});
    }
    return true;
}

// The restart itself: T is re-read from its start, with P the replaced word.
bool Preprocessor::reread(size_t begin, size_t end, const std::string& with, Runaway bound) {
    const size_t newLength = length() - (end - begin) + with.size();
    if (rescanned_ + newLength > kBaseRescan + 4 * partLength_ || !spendWork(readCost(newLength))) return cut(bound);
    // Until the restarted scan meets their "Define" again, definitions made
    // in this line hold the text they had before this replacement.
    settle(text());
    std::string t;
    t.reserve(newLength);
    t.append(done_).append(rest_, pos_, begin - pos_).append(with).append(rest_, end);
    rest_.swap(t);
    done_.clear();
    pos_ = 0;
    seen_ = prefixDecimal_ = firstDecimal_ = stale_ = false;
    lastDecimal_ = indexed_ = 0;
    passed_.clear();
    regions_.clear();
    inRegion_.clear();
    prev_ = prevOf(word_);
    rescanned_ += newLength;
    return true;
}

// word_ names a definition made earlier in this physical line: its text is
// the rest of the line, this word included. A replacement puts that text
// here again; when the restart reads everything before it as before, the
// scan only comes back to this word, forever: the name is left as written.
// Only what makes any restart re-read the line could change that, or a
// decimal at the start of the copy, which then follows the word before this
// one. Otherwise the line is re-read the long way, until it settles or a
// bound is reached.
bool Preprocessor::namesItself(size_t begin, size_t end) {
    const size_t offset = names_.pendingOffset(word_);
    const bool sync = sync_ || word_ == "Sync";
    if (!needsReread() && !(prefixDecimal_ && sync) && !(lastDecimal_ > offset && prev_ == Prev::Duration)) {
        record(Runaway::Cycle);
        pass(end, false);
        return true;
    }
    const std::string with = text().substr(std::min(offset, length()));
    if (length() - (end - begin) + with.size() > maxLength_) return cut(Runaway::Cycle);
    sync_ = sync;
    return reread(begin, end, with, Runaway::Cycle);
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
// and times resolved.
void Preprocessor::define(size_t end) {
    pass(end, false);
    defining_ = true;
    size_t nameBegin, nameEnd;
    if (!nextWord(rest_, pos_, nameBegin, nameEnd)) return;  // no name: defines nothing
    const std::string name(rest_, nameBegin, nameEnd - nameBegin);
    const size_t textStart = std::min(nameEnd + 1, rest_.size());
    // A restart would now replace a word passed before this name was known.
    if (name != "Define" && !names_.known(name) && passedBefore(name, done_.size() - word_.size())) stale_ = true;
    if (held_) store(defName_, defPrefix_);
    held_ = false;
    names_.hold(nullptr, nullptr);
    defOffset_ = done_.size() + (textStart - pos_);
    names_.setPending(name, defOffset_);
    expander_.changed(name);
    defName_ = name;
    defPrefix_.clear();
    defInPart_ = true;
    done_.append(rest_, pos_, nameEnd - pos_);
    pos_ = nameEnd;
    prev_ = prevOf(name);
}

// Whether name is one of the words of done_ before limit.
bool Preprocessor::passedBefore(const std::string& name, size_t limit) {
    size_t begin, end;
    while (nextWord(done_, indexed_, begin, end) && end <= limit) {
        passed_.emplace(done_, begin, end - begin);
        indexed_ = end;
    }
    return passed_.count(name) > 0;
}

// Stores the definitions pending in this physical line, whose T is t.
void Preprocessor::settle(const std::string& t) {
    if (names_.pending().empty()) return;
    const std::map<std::string, size_t> pending = names_.pending();
    names_.clearPending();
    expander_.settled();
    for (const auto& [name, offset] : pending) store(name, t, std::min(offset, t.size()));
}

// Definitions together stay within their budget; a text past it is cut off.
void Preprocessor::store(const std::string& name, const std::string& text, size_t from) {
    std::string& value = s_.defines[name];
    definitionBytes_ -= value.size();
    const size_t room = definitionBudget_ > definitionBytes_ ? definitionBudget_ - definitionBytes_ : 0;
    size_t size = text.size() - from;
    if (size > room) {
        size = room;
        record(Runaway::Size);
    }
    value.assign(text, from, size);
    definitionBytes_ += size;
    expander_.changed(name);
}

// A continued definition keeps the joined text, as a joined line would.
void Preprocessor::hold() {
    held_ = true;
    names_.hold(&defName_, &defPrefix_);
    expander_.changed(defName_);
}

// A one-backslash word: T without its last character is kept and the next
// physical line, whatever it holds, becomes T (empty at the end of the file).
void Preprocessor::continueLine() {
    std::string t = text();
    spend(t.size());
    settle(t);
    t.pop_back();
    if (defining_ && !defName_.empty()) {
        defPrefix_ += t.substr(std::min(defInPart_ ? defOffset_ : 0, t.size()));
        hold();
    }
    pending_ += t;
    continued_ = true;
    joinedFrom_ = partLine_;
    if (next_ < physical_.size()) {
        const int number = static_cast<int>(next_ + 1);
        const std::string& joined = physical_[next_++];
        if (!joined.empty() && joined[0] == '#') s_.joinedLines.push_back({partLine_, lineStart_, Joined::Comment});
        startPart(joined, number);
    } else {
        startPart(std::string(), partLine_);
    }
}

void Preprocessor::finishLine() {
    std::string t = text();
    spend(t.size());
    settle(t);
    if (held_) {
        held_ = false;
        names_.hold(nullptr, nullptr);
        store(defName_, defPrefix_);
    }
    if (t == "@end") {
        // What the line held before its backslash is dropped.
        if (continued_) s_.joinedLines.push_back({joinedFrom_, lineStart_, Joined::EndMarker});
        push("@end", lineStart_);
        ended_ = true;
    } else if (defining_) {
        if (continued_ && !defName_.empty())
            store(defName_, defPrefix_ + t.substr(std::min(defInPart_ ? defOffset_ : 0, t.size())));
    } else if (continued_) {
        push(pending_ + t, lineStart_);
    } else {
        push(std::move(t), lineStart_);
    }
}

// A bound was reached: the scan of this line stops and it stays as it is.
bool Preprocessor::cut(Runaway kind) {
    record(kind);
    return false;
}

void Preprocessor::record(Runaway kind) {
    auto& lines = s_.runawayLines;
    for (auto at = lines.rbegin(); at != lines.rend() && at->line == partLine_; ++at)
        if (at->kind == kind) return;
    lines.push_back({partLine_, kind});
}

bool Preprocessor::spendWork(size_t bytes) {
    if (work_ < bytes) return false;
    work_ -= bytes;
    return true;
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

