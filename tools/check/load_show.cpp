#include "load_show.h"

#include <unistd.h>  // Required for: dup, dup2, close

#include <algorithm>
#include <cstdio>
#include <fcntl.h>

#include "script/preprocess.h"  // Required for: splitLines
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

// Each group of equal start times as the compositor hands it to the parser:
// the record under construction carries over from statement to statement.
void parseStatements(CScript& loaded, LoadedShow& show) {
    const size_t count = std::min(loaded.statements.size(), loaded.startTimes.size());
    int32_t latest = INT32_MIN;
    for (size_t i = 0; i < count; i++) {
        latest = std::max(latest, loaded.startTimes[i]);
        const int line = i < loaded.statementLines.size() ? loaded.statementLines[i] : 0;
        show.statements.push_back({std::string(), line, loaded.startTimes[i], latest, false, false, CScene{}});
    }
    const QuitHandler previous = setQuitHandler(throwShowEnded);
    loaded.nextStatement = 0;
    auto file = [&](int32_t index, const CScene& record) {
        show.statements[size_t(index)].reached = true;
        show.statements[size_t(index)].record = record;
    };
    try {
        while (size_t(loaded.nextStatement) < count) loaded.parse(file);
    } catch (const ShowEnded&) {
        Statement& s = show.statements[size_t(loaded.nextStatement)];
        s.reached = s.ends = true;
        show.endIndex = loaded.nextStatement;
        show.endTime = s.shownAt;
    }
    setQuitHandler(previous);
    for (size_t i = 0; i < count; i++) show.statements[i].text = std::move(loaded.statements[i]);
}

}  // namespace

void loadShowText(const std::string& bytes, LoadedShow& show) {
    show.physical = splitLines(bytes);
    // A script and an options record of its own: the engine's stay as they
    // are, for a show that plays beside the check.
    CInit options;
    options.defaults();
    CScript loaded;
    loaded.load(
        bytes,
        [&](const CScript& preprocessed) {
            readOptionPart(preprocessed, show);
            for (const auto& entry : preprocessed.defines) show.definitionNames.push_back(entry.first);
        },
        options);
    show.syncLists = std::move(loaded.syncLists);
    show.runawayLines = std::move(loaded.runawayLines);
    show.joinedLines = std::move(loaded.joinedLines);
    parseStatements(loaded, show);
}

bool loadShow(LoadedShow& show, std::string& error) {
    std::string bytes;
    if (!readPlainFile(kScriptPath, bytes, error)) return false;
    QuietStderr quiet;
    loadShowText(bytes, show);
    return true;
}
