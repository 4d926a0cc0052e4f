// Names and their expansion for the preprocessor. A name's text is expanded
// once for each way the scan can meet it and kept, so a definition used many
// times costs what it writes, however deep its names nest. A name met again
// inside its own expansion, in the same scan state, would expand forever, and
// so would every name on the way round: they are never replaced, but left as
// written wherever the scan meets them in that state.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The previous word P, as far as the scan rules look at it.
enum class Prev : uint8_t { None, Duration, Sync, Other };
Prev prevOf(const std::string& word);

// What the scan of a line carries from word to word.
struct ScanState {
    Prev prev = Prev::None;
    bool sync = false;  // a word has followed "Sync"
    bool seen = false;  // the line's text before this point holds a word
};

// What reading text word by word costs from the work a load may spend, and
// what copying it costs: reading is the slower by far.
inline size_t readCost(size_t bytes) { return 1024 + 16 * bytes; }
inline size_t copyCost(size_t bytes) { return 1 + bytes; }

// Digits and points only, with at least one of each: a time in seconds.
bool isDecimal(const std::string& word);
// Seconds to whole milliseconds, truncated; beyond 32 bits it saturates.
std::string secondsToMs(const std::string& word);

// What a word stands for: a built-in name (which wins), a definition, the
// definition whose text is being joined across continued lines, or one made
// in the physical line being scanned, whose text is still changing.
class Names {
public:
    enum class Kind { None, Text, Pending };
    Names(const std::map<std::string, int32_t>& builtins, std::map<std::string, std::string>& defines);
    Kind find(const std::string& word, const std::string*& text) const;
    bool known(const std::string& word) const;

    void setPending(const std::string& name, size_t offset);
    size_t pendingOffset(const std::string& name) const { return pending_.at(name); }
    const std::map<std::string, size_t>& pending() const { return pending_; }
    void clearPending() { pending_.clear(); }
    // The definition of name is text for now (a continued definition line).
    void hold(const std::string* name, const std::string* text);

private:
    std::map<std::string, std::string> builtins_;  // as decimal text
    std::map<std::string, std::string>& defines_;
    std::map<std::string, size_t> pending_;        // name to where its text starts in the line
    const std::string* heldName_ = nullptr;
    const std::string* heldText_ = nullptr;
    std::bitset<256> firstChars_;                  // first bytes of every name, a quick filter
};

class Expander {
public:
    enum class Result {
        Done,    // the expansion is appended
        Inline,  // its text must be read in the line itself (it defines, continues, or
                 // depends on what stands before it); nothing is appended
        Cut,     // it grows past the room or the work left; nothing is appended
        Cyclic   // the name never stops expanding: leave it as written
    };
    // What an expansion holds that a restart of the line reads differently.
    struct Summary {
        bool decimal = false;          // a decimal left as written
        bool firstDecimal = false;     // and it is the line's first word
        bool syncRestart = false;      // a replacement after "Sync" was met in it
        bool durationRestart = false;  // a replacement of the name "duration"
        bool stopped = false;          // a name in it never stops expanding
    };

    explicit Expander(const Names& names) : names_(names) {}
    // Appends to out the expansion of name, whose text is text, met in state
    // after what before sums up of the line, while out stays within limit
    // bytes; work is what may still be spent. On Done, state is the state
    // after it and summary sums it up.
    Result expand(const std::string& name, const std::string& text, const Summary& before, ScanState& state,
                  std::string& out, size_t limit, size_t& work, Summary& summary);
    // A definition was made or changed: expansions that read the name go.
    void changed(const std::string& name);
    // The definitions pending in the line were stored: expansions that met
    // one may now go through.
    void settled();

private:
    struct Entry {
        std::string out;
        ScanState exit;
        Summary summary;
    };
    struct Slot {
        int32_t entry = -1;        // kept expansion
        int32_t frame = -1;        // being expanded now, at this depth
        bool impure = false;       // must be read inline
        bool cyclic = false;       // never stops
        bool pending = false;      // meets a definition pending in the line
        size_t tooBig = SIZE_MAX;  // room known to be too small
    };
    struct Frame {
        Slot* slot;
        const std::string* name;
        const std::string* text;
        size_t pos;
        size_t outStart;
        ScanState before;  // where the name was met
        bool entrySync;
        Summary summary;
    };
    Slot& slot(const std::string& name, const ScanState& state, const std::string*& key);
    Result word(ScanState& state, std::string& out, size_t limit, size_t& work);
    Result restart(const ScanState& state, std::string& out, size_t limit);
    Result cycle(size_t depth, ScanState& state, std::string& out);
    bool refused(const Summary& s) const;
    Result use(const Entry& e, ScanState& state, std::string& out, size_t limit, size_t& work);
    void pass(ScanState& state, std::string& out, bool decimal);
    void add(Summary& into, const Summary& s);
    void finish(const ScanState& state, const std::string& out);
    Result unwind(Result result, bool impure, std::string& out, size_t limit);

    const Names& names_;
    std::unordered_map<std::string, std::array<Slot, 16>> slots_;
    std::vector<Entry> entries_;
    size_t kept_ = 0;                          // bytes of kept expansions
    std::unordered_set<std::string> watched_;  // every word a kept expansion read
    std::vector<Frame> frames_;
    std::vector<Slot*> pendingSlots_;
    std::string word_;
    size_t start_ = 0;  // where the whole expansion begins in out
    Summary before_;    // the line before it
    Summary sofar_;     // the expansion so far
};
