#include "load_show.h"

#include <unistd.h>  // Required for: dup, dup2, close

#include <algorithm>
#include <cstddef>  // Required for: offsetof
#include <cstdio>
#include <cstring>
#include <fcntl.h>

#include "script/preprocess.h"
#include "script/readfile.h"
#include "script/words.h"
#include "shell/engine.h"
#include "shell/init.h"

namespace {

// The loader tells the player's user about some faults on standard error;
// the check reports them itself, in its own form.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        saved_ = dup(2);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 2);
            close(null);
        }
    }
    ~QuietStderr() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, 2);
            close(saved_);
        }
    }

private:
    int saved_;
};

struct ShowEnded {};

void throwShowEnded() { throw ShowEnded{}; }

std::vector<std::string> wordsAfter(const std::string& text, size_t pos) {
    std::vector<std::string> words;
    size_t begin, end;
    while (nextWord(text, pos, begin, end)) {
        words.push_back(text.substr(begin, end - begin));
        pos = end;
    }
    return words;
}

// The option part as the option pass reads it: keywords anywhere in a line,
// "Sync" and "Default" taking the rest of their line, "@sync" ending it.
void readOptionPart(const CScript& pre, LoadedShow& show) {
    for (size_t i = 0; i < pre.lines.size() && pre.lines[i] != "@end"; i++) {
        const std::string& text = pre.lines[i];
        const int line = i < pre.lineNumbers.size() ? pre.lineNumbers[i] : 0;
        size_t pos = 0, begin, end;
        while (nextWord(text, pos, begin, end)) {
            pos = end;
            const std::string word = text.substr(begin, end - begin);
            if (word == "@sync") {
                show.hasTimeline = true;
                return;
            }
            if (word == "Sync" || word == "Default") {
                (word == "Sync" ? show.syncLines : show.defaults).push_back({line, wordsAfter(text, pos)});
                break;
            }
        }
    }
}

// Parses statements [first, last] as one call of the parser would: the
// record under construction carries over from statement to statement.
// Throws ShowEnded when one of them ends the show.
void parsePrefix(const LoadedShow& show, size_t first, size_t last) {
    script.statements.clear();
    script.startTimes.clear();
    for (size_t i = first; i <= last; i++) {
        script.statements.push_back(show.statements[i].text);
        script.startTimes.push_back(show.statements[first].time);  // one group
    }
    script.nextStatement = 0;
    script.scenes.clear();
    script.parse();
}

// Field by field in effect: the flags, then everything from the first
// integer on, leaving out the padding between them.
bool sameRecord(const CScene& a, const CScene& b) {
    const auto* x = reinterpret_cast<const unsigned char*>(&a);
    const auto* y = reinterpret_cast<const unsigned char*>(&b);
    const size_t flags = offsetof(CScene, center) + sizeof(bool);
    const size_t values = offsetof(CScene, duration);
    return std::memcmp(x, y, flags) == 0 && std::memcmp(x + values, y + values, sizeof(CScene) - values) == 0;
}

// The record that prefix [first, last] added to the list that prefix
// [first, last - 1] left: the first place where the two lists differ.
CScene addedRecord(const std::vector<CScene>& before, const std::vector<CScene>& after) {
    for (size_t i = 0; i < before.size(); i++)
        if (!sameRecord(before[i], after[i])) return after[i];
    return after.back();
}

// Larger groups of equal start times are parsed one statement per call, so
// that the check stays linear; only fields the statement leaves unset can differ.
const size_t kExactGroup = 256;

void parseGroup(LoadedShow& show, size_t first, size_t end) {
    std::vector<CScene> before;
    for (size_t k = first; k < end; k++) {
        Statement& s = show.statements[k];
        const size_t from = end - first > kExactGroup ? k : first;
        try {
            parsePrefix(show, from, k);
        } catch (const ShowEnded&) {
            s.reached = s.ends = true;
            show.endIndex = int(k);
            show.endTime = s.shownAt;
            return;
        }
        s.reached = true;
        if (from == k) before.clear();
        s.record = addedRecord(before, script.scenes);
        before = script.scenes;
    }
}

void parseStatements(LoadedShow& show) {
    setQuitHandler(throwShowEnded);
    const std::vector<std::string> statements = script.statements;
    const std::vector<int32_t> times = script.startTimes;
    int32_t latest = INT32_MIN;
    for (size_t i = 0; i < statements.size(); i++) {
        latest = std::max(latest, times[i]);
        const int line = i < script.statementLines.size() ? script.statementLines[i] : 0;
        show.statements.push_back({statements[i], line, times[i], latest, false, false, CScene{}});
    }
    // Groups of equal start times, as the compositor hands them to the parser.
    for (size_t first = 0; first < show.statements.size() && show.endIndex < 0;) {
        size_t end = first + 1;
        while (end < show.statements.size() && times[end] == times[first]) end++;
        parseGroup(show, first, end);
        first = end;
    }
    setQuitHandler(nullptr);
    script.scenes.clear();
}

}  // namespace

bool loadShow(LoadedShow& show, std::string& error) {
    std::string bytes;
    if (!readPlainFile(kScriptPath, bytes, error)) return false;
    show.physical = splitLines(bytes);

    QuietStderr quiet;
    // The preprocessed lines before the option pass, which empties them.
    CScript pre;
    pre.defineInit();
    preprocess(show.physical, pre);
    readOptionPart(pre, show);
    for (const auto& entry : pre.defines) show.definitionNames.push_back(entry.first);

    einit.defaults();
    if (!script.init(kScriptPath, &error)) return false;
    show.syncLists = script.syncLists;
    show.runawayLines = script.runawayLines;
    parseStatements(show);
    return true;
}
