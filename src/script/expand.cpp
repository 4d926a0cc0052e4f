#include "script/expand.h"

#include <algorithm>  // Required for: std::min

#include "script/words.h"

namespace {

// Kept expansions together stay below this; past it they are expanded anew.
const size_t kKeptLimit = size_t(32) << 20;

size_t slotIndex(const ScanState& s) {
    return size_t(s.prev) * 4 + (s.sync ? 2 : 0) + (s.seen ? 1 : 0);
}

}  // namespace

Prev prevOf(const std::string& word) {
    if (word.empty()) return Prev::None;
    if (word == "duration") return Prev::Duration;
    return word == "Sync" ? Prev::Sync : Prev::Other;
}

bool isDecimal(const std::string& word) {
    bool digit = false, point = false;
    for (char c : word) {
        if (c >= '0' && c <= '9') digit = true;
        else if (c == '.') point = true;
        else return false;
    }
    return digit && point;
}

std::string secondsToMs(const std::string& word) {
    double seconds = 0;
    readDouble(word, seconds);  // '1.2.3' reads as 1.2
    const double ms = seconds * 1000.0;
    const int32_t value = ms >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(ms);
    return std::to_string(value);
}

Names::Names(const std::map<std::string, int32_t>& builtins, std::map<std::string, std::string>& defines)
    : defines_(defines) {
    for (const auto& [name, value] : builtins) {
        builtins_[name] = std::to_string(value);
        firstChars_.set(static_cast<unsigned char>(name[0]));
    }
    for (const auto& entry : defines)
        if (!entry.first.empty()) firstChars_.set(static_cast<unsigned char>(entry.first[0]));
}

Names::Kind Names::find(const std::string& word, const std::string*& text) const {
    if (!firstChars_.test(static_cast<unsigned char>(word[0]))) return Kind::None;
    const auto builtin = builtins_.find(word);
    if (builtin != builtins_.end()) {
        text = &builtin->second;
        return Kind::Text;
    }
    if (!pending_.empty() && pending_.count(word)) return Kind::Pending;
    if (heldName_ && word == *heldName_) {
        text = heldText_;
        return Kind::Text;
    }
    const auto defined = defines_.find(word);
    if (defined == defines_.end()) return Kind::None;
    text = &defined->second;
    return Kind::Text;
}

bool Names::known(const std::string& word) const {
    const std::string* text = nullptr;
    return find(word, text) != Kind::None;
}

void Names::setPending(const std::string& name, size_t offset) {
    pending_[name] = offset;
    firstChars_.set(static_cast<unsigned char>(name[0]));
}

void Names::hold(const std::string* name, const std::string* text) {
    heldName_ = name;
    heldText_ = text;
}

Expander::Slot& Expander::slot(const std::string& name, const ScanState& state, const std::string*& key) {
    auto& slots = *slots_.try_emplace(name).first;
    key = &slots.first;
    return slots.second[slotIndex(state)];
}

void Expander::changed(const std::string& name) {
    if (!watched_.count(name)) return;
    slots_.clear();
    entries_.clear();
    watched_.clear();
    pendingSlots_.clear();
    kept_ = 0;
}

void Expander::settled() {
    for (Slot* s : pendingSlots_) s->pending = false;
    pendingSlots_.clear();
}

// The scan restarted after replacing a name reads the replacement with P
// the word before it, or the name itself when none comes before.
static ScanState entering(const std::string& name, const ScanState& s) {
    return {s.seen ? s.prev : prevOf(name), s.sync || name == "Sync", s.seen};
}

Expander::Result Expander::expand(const std::string& name, const std::string& text, const Summary& before,
                                  ScanState& state, std::string& out, size_t limit, size_t& work,
                                  Summary& summary) {
    const ScanState at = state;
    state = entering(name, state);
    watched_.insert(name);
    before_ = before;
    sofar_ = Summary{};
    start_ = out.size();
    const std::string* key = nullptr;
    Slot& root = slot(name, state, key);
    Result result = Result::Done;
    if (root.cyclic) return Result::Cyclic;
    if (root.impure || root.pending) return Result::Inline;
    if (root.entry >= 0) {
        result = use(entries_[size_t(root.entry)], state, out, limit, work);
    } else {
        if ((root.tooBig != SIZE_MAX && limit - out.size() <= root.tooBig) || work < readCost(text.size()))
            return Result::Cut;
        work -= readCost(text.size());
        root.frame = 0;
        frames_.push_back({&root, key, &text, 0, out.size(), at, state.sync, Summary{}});
    }
    while (result == Result::Done && !frames_.empty()) {
        Frame& f = frames_.back();
        size_t begin, end;
        if (!nextWord(*f.text, f.pos, begin, end)) {
            out.append(*f.text, f.pos, std::string::npos);
            if (out.size() > limit) result = unwind(Result::Cut, false, out, limit);
            else finish(state, out);
            continue;
        }
        out.append(*f.text, f.pos, begin - f.pos);
        f.pos = end;
        word_.assign(*f.text, begin, end - begin);
        result = word(state, out, limit, work);
        if (result == Result::Done && out.size() > limit) result = unwind(Result::Cut, false, out, limit);
    }
    summary = sofar_;
    return result;
}

// One word of the text on top, in word_. A definition or a continuation in
// it leaves the expansion to the line, and so does anything else that a
// restart of the whole line would read differently from a reading in place.
Expander::Result Expander::word(ScanState& state, std::string& out, size_t limit, size_t& work) {
    if (state.prev == Prev::Sync) state.sync = true;
    bool decimal = isDecimal(word_);
    if (decimal && (state.prev == Prev::None || state.prev == Prev::Duration || state.sync)) {
        const Result r = restart(state, out, limit);
        if (r != Result::Done) return r;
        word_ = secondsToMs(word_);
        decimal = false;
        if (!state.seen) state.prev = Prev::Other;  // P is the decimal just replaced
    } else if (word_ == "\\" || word_ == "Define") {
        return unwind(Result::Inline, true, out, limit);
    }
    const std::string* text = nullptr;
    const Names::Kind kind = names_.find(word_, text);
    watched_.insert(word_);
    if (kind == Names::Kind::None) {
        pass(state, out, decimal);
        return Result::Done;
    }
    if (kind == Names::Kind::Pending) {
        // Until the line is done, so is every expansion that leads here.
        for (Frame& f : frames_)
            if (!f.slot->pending) {
                f.slot->pending = true;
                pendingSlots_.push_back(f.slot);
            }
        return unwind(Result::Inline, false, out, limit);
    }

    const ScanState in = entering(word_, state);
    const std::string* key = nullptr;
    Slot& s = slot(word_, in, key);
    if (s.cyclic) {
        frames_.back().summary.stopped = true;
        pass(state, out, decimal);
        return Result::Done;
    }
    if (s.frame >= 0) return cycle(size_t(s.frame), state, out);
    if (s.impure) return unwind(Result::Inline, true, out, limit);
    if (s.pending) return unwind(Result::Inline, false, out, limit);
    const Result r = restart(state, out, limit);
    if (r != Result::Done) return r;
    if (s.entry >= 0) return use(entries_[size_t(s.entry)], state, out, limit, work);
    if ((s.tooBig != SIZE_MAX && limit - out.size() <= s.tooBig) || work < readCost(text->size()))
        return unwind(Result::Cut, false, out, limit);
    work -= readCost(text->size());
    s.frame = int32_t(frames_.size());
    frames_.push_back({&s, key, text, 0, out.size(), state, in.sync, Summary{}});
    state = in;
    return Result::Done;
}

// The name being expanded at depth was met again in the same state: it and
// every name expanded on the way here never stop. Their expansions go, and
// the name is left as written where it was first met.
Expander::Result Expander::cycle(size_t depth, ScanState& state, std::string& out) {
    for (size_t k = depth; k < frames_.size(); k++) {
        frames_[k].slot->frame = -1;
        frames_[k].slot->cyclic = true;
    }
    const Frame first = frames_[depth];
    frames_.resize(depth);
    out.resize(first.outStart);
    state = first.before;
    if (frames_.empty()) return Result::Cyclic;
    word_ = *first.name;
    frames_.back().summary.stopped = true;
    pass(state, out, isDecimal(word_));
    return Result::Done;
}

// A replacement restarts the scan of the line, which reads T from its start
// again: once "Sync" was met, a decimal passed before turns into
// milliseconds, and after the name "duration" the line's first word does.
Expander::Result Expander::restart(const ScanState& state, std::string& out, size_t limit) {
    Frame& top = frames_.back();
    // Replacing the name "Sync" sets S for the restarted scan.
    if ((state.sync || word_ == "Sync") && !top.entrySync) {
        if (before_.decimal || sofar_.decimal) return unwind(Result::Inline, false, out, limit);
        top.summary.syncRestart = true;
    }
    if (word_ == "duration" && state.seen) {
        if (before_.firstDecimal || sofar_.firstDecimal) return unwind(Result::Inline, false, out, limit);
        top.summary.durationRestart = true;
    }
    return Result::Done;
}

// Whether a kept expansion holds such a restart that would read this line
// differently.
bool Expander::refused(const Summary& s) const {
    return (s.syncRestart && (before_.decimal || sofar_.decimal)) ||
           (s.durationRestart && (before_.firstDecimal || sofar_.firstDecimal));
}

Expander::Result Expander::use(const Entry& e, ScanState& state, std::string& out, size_t limit, size_t& work) {
    if (refused(e.summary)) return unwind(Result::Inline, false, out, limit);
    if (out.size() + e.out.size() > limit || work < copyCost(e.out.size())) return unwind(Result::Cut, false, out, limit);
    work -= copyCost(e.out.size());
    out += e.out;
    state = e.exit;
    add(frames_.empty() ? sofar_ : frames_.back().summary, e.summary);
    return Result::Done;
}

void Expander::pass(ScanState& state, std::string& out, bool decimal) {
    if (decimal) {
        Summary& s = frames_.back().summary;
        s.decimal = sofar_.decimal = true;
        if (!state.seen) s.firstDecimal = sofar_.firstDecimal = true;
    }
    out += word_;
    state.prev = prevOf(word_);
    state.seen = true;
}

void Expander::add(Summary& into, const Summary& s) {
    into.decimal |= s.decimal;
    into.firstDecimal |= s.firstDecimal;
    into.syncRestart |= s.syncRestart;
    into.durationRestart |= s.durationRestart;
    into.stopped |= s.stopped;
    sofar_.decimal |= s.decimal;
    sofar_.firstDecimal |= s.firstDecimal;
}

void Expander::finish(const ScanState& state, const std::string& out) {
    const Frame f = frames_.back();
    frames_.pop_back();
    f.slot->frame = -1;
    const size_t size = out.size() - f.outStart;
    if (kept_ + size <= kKeptLimit) {
        f.slot->entry = int32_t(entries_.size());
        entries_.push_back({out.substr(f.outStart), state, f.summary});
        kept_ += size;
    }
    if (frames_.empty()) sofar_ = f.summary;
    else add(frames_.back().summary, f.summary);
}

// Gives up the expansion in progress; texts that cannot be expanded apart
// from their line are marked so, and those whose output passed the room are
// marked with the room they had.
Expander::Result Expander::unwind(Result result, bool impure, std::string& out, size_t limit) {
    for (Frame& f : frames_) {
        f.slot->frame = -1;
        if (impure) f.slot->impure = true;
        if (result == Result::Cut && out.size() > limit) f.slot->tooBig = std::min(f.slot->tooBig, limit - f.outStart);
    }
    frames_.clear();
    out.resize(start_);
    return result;
}
