// The option part: the timeline marker, definitions that run away, option
// words, sync lines and the marks that sync scenes will look up.
#include <algorithm>
#include <climits>
#include <set>

#include "checks.h"
#include "grammar.h"
#include "nearest.h"
#include "script/words.h"

namespace {

const std::vector<std::string> kOptionWords = {"!fullscreen", "!sound", "anaglyphic", "!gui",
                                               "640x480",     "800x600", "1024x768"};

bool looksLikeSize(const std::string& word) {
    const size_t x = word.find('x');
    return x != std::string::npos && x > 0 && wholeInt(word.substr(0, x)) && wholeInt(word.substr(x + 1));
}

void checkDefaults(const CheckInput& in, Findings& findings) {
    const NearWords options(kOptionWords);
    for (const OptionLine& option : in.show.defaults) {
        LineFindings listed(findings, option.line, "on this line");
        for (size_t i = 0; i < option.words.size(); i++) {
            const std::string& word = option.words[i];
            if (std::find(kOptionWords.begin(), kOptionWords.end(), word) != kOptionWords.end()) continue;
            if (!listed.list("options the player does not know", Severity::Warning)) continue;
            std::string message = "option '" + word + "' is not one the player knows and is ignored";
            if (looksLikeSize(word)) {
                message += "; the sizes are 640x480, 800x600 and 1024x768";
            } else {
                const std::string near = options.nearest(word);
                if (!near.empty()) message += "; did you mean '" + near + "'?";
            }
            findings.warning(optionWordLine(in, option.line, option.words, i), message);
        }
        listed.finish();
    }
}

void checkSyncValues(const CheckInput& in, Findings& findings) {
    for (const OptionLine& sync : in.show.syncLines) {
        LineFindings listed(findings, sync.line, "on this line");
        for (size_t i = 0; i < sync.words.size(); i++) {
            const std::string& word = sync.words[i];
            int32_t value = 0;
            const bool number = readInt(word, value);
            std::string message;
            if (!number)
                message = "sync value '" + word + "' is not a number; it is read as 0";
            else if (!wholeInt(word))
                message = "sync value '" + word + "' is read as " + std::to_string(value);
            else if (value == INT32_MAX || value == INT32_MIN)
                message = "a time beyond the range of show time (2147483.647 s); it is cut to that";
            if (message.empty() || !listed.list("sync values read otherwise than written", Severity::Warning)) continue;
            findings.warning(optionWordLine(in, sync.line, sync.words, i), message);
        }
        if (sync.words.size() % 2 == 1)
            findings.warning(optionWordLine(in, sync.line, sync.words, sync.words.size() - 1),
                             "sync value '" + sync.words.back() + "' has no length and is dropped");
        listed.finish();
    }
}

// A mark shows the first scene with its track; a track that no scene of the
// show has makes the mark pass over.
void checkMarks(const CheckInput& in, Findings& findings) {
    std::set<int32_t> tracks;
    std::set<int32_t> used;
    for (const Statement& s : in.show.statements) {
        if (!s.reached || s.ends) continue;
        tracks.insert(s.record.track);
        if (s.record.sync) used.insert(s.record.syncList);
    }
    const auto& lists = in.show.syncLists;
    for (int32_t list : used) {
        if (list < 0 || size_t(list) >= lists.size() || size_t(list) >= in.show.syncLines.size()) continue;
        const int line = in.show.syncLines[size_t(list)].line;
        const auto& marks = lists[size_t(list)];
        LineFindings listed(findings, line, "on this line");
        for (size_t m = 0; m < marks.size(); m++) {
            if (tracks.count(marks[m].track) || !listed.list("marks that show a track no scene has", Severity::Error))
                continue;
            findings.error(line, "mark " + std::to_string(m + 1) + " of sync list " + std::to_string(list) +
                                     " shows track " + std::to_string(marks[m].track) +
                                     ", which no scene has (give a template 'track " +
                                     std::to_string(marks[m].track) + " ... insync')");
        }
        listed.finish();
    }
}

}  // namespace

int optionWordLine(const CheckInput& in, int line, const std::vector<std::string>& words, size_t index) {
    int occurrence = 0;
    for (size_t i = 0; i <= index; i++)
        if (words[i] == words[index]) occurrence++;
    return in.source.locate(line, words[index], occurrence).line;
}

void checkOptions(const CheckInput& in, Findings& findings) {
    if (!in.show.hasTimeline)
        findings.error(0, "no \"@sync\" line: the show has no timeline (statements follow a line \"@sync\")");
    for (const RunawayLine& r : in.show.runawayLines)
        findings.error(r.line, r.kind == Runaway::Cycle
                                   ? "a definition never stops expanding (its text names itself); the player leaves "
                                     "that name unexpanded"
                                   : "the definitions expand past the player's bound (16 MiB a line, with a budget for "
                                     "the whole script); the player cuts the line off there");
    checkDefaults(in, findings);
    checkSyncValues(in, findings);
    checkMarks(in, findings);
}
