// When things happen: statement order, spans, the end, sync list numbers.
#include <climits>
#include <cstdio>

#include "checks.h"
#include "grammar.h"
#include "script/words.h"

std::string seconds(int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", double(ms) / 1000.0);
    std::string s = text;
    while (s.size() > 1 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
    return s + " s";
}

namespace {

const Clause* lastClause(const StatementShape& shape, const char* keyword) {
    const Clause* found = nullptr;
    for (const Clause& clause : shape.clauses)
        if (clause.keyword.text == keyword) found = &clause;
    return found;
}

bool operandValue(const Clause* clause, int32_t& value) {
    return clause && !clause->operands.empty() && readInt(clause->operands.front().text, value);
}

bool saturated(int32_t value) { return value == INT32_MAX || value == INT32_MIN; }

int32_t lifeEnd(const CScene& r) { return r.sync ? r.syncEndTime : r.endTime; }

// Statements are taken in file order: one that starts before a statement
// above it waits for that one, and may be over before it is taken.
void checkOrder(const Statement& s, const Statement* latest, Findings& findings) {
    if (!latest || s.time >= latest->time) return;
    std::string message = "starts at " + seconds(s.time) + ", but the player takes it only after the statement on line " +
                          std::to_string(latest->line) + ", at " + seconds(s.shownAt) +
                          " (statements are taken in file order)";
    if (s.reached && !s.ends && !s.record.insync && lifeEnd(s.record) <= s.shownAt)
        message += "; it is over by then and never shown";
    findings.warning(s.line, message);
}

void checkRange(const Statement& s, const StatementShape& shape, Findings& findings) {
    int32_t duration = 0;
    if (saturated(s.time) || (operandValue(lastClause(shape, "duration"), duration) && saturated(duration)))
        findings.warning(s.line, "a time beyond the range of show time (2147483.647 s); it is cut to that");
}

// A scene without a span is erased on the frame that parses it.
void checkSpan(const Statement& s, const StatementShape& shape, Findings& findings) {
    if (s.ends || lastClause(shape, "insync") || lastClause(shape, "end")) return;
    const Clause* durationClause = lastClause(shape, "duration");
    int32_t duration = 0;
    if (!durationClause) {
        findings.warning(s.line, "no 'duration' and no 'insync': the scene vanishes on the frame it appears");
    } else if (operandValue(durationClause, duration) && duration <= 0) {
        findings.warning(s.line, "'duration " + std::to_string(duration) + "': the scene vanishes on the frame it appears");
    } else if (duration > 0 && duration < 50 && wholeInt(durationClause->operands.front().text)) {
        findings.warning(s.line, "'duration " + std::to_string(duration) + "' lasts " + std::to_string(duration) +
                                     " ms; seconds are written with a point (" + std::to_string(duration) + ".0)");
    }
}

void checkEnd(const CheckInput& in, size_t index, Findings& findings) {
    const LoadedShow& show = in.show;
    const Statement& s = show.statements[index];
    if (show.endIndex < 0 || s.ends) return;
    const Statement& end = show.statements[size_t(show.endIndex)];
    if (!s.reached) {
        findings.warning(s.line, "never played: the show ends before it, on line " + std::to_string(end.line));
        return;
    }
    if (!s.record.insync && lifeEnd(s.record) > show.endTime)
        findings.warning(s.line, "runs until " + seconds(lifeEnd(s.record)) + ", past the end of the show at " +
                                     seconds(show.endTime) + " (line " + std::to_string(end.line) + ")");
}

void checkSyncList(const CheckInput& in, const Statement& s, const StatementShape& shape, Findings& findings) {
    const Clause* sync = lastClause(shape, "sync");
    int32_t list = 0;
    if (!sync || !operandValue(sync, list)) return;
    const auto& lists = in.show.syncLists;
    const int line = wordLocation(in, s, shape, sync->operands.front()).line;
    if (list < 0 || size_t(list) >= lists.size())
        findings.error(line, "'sync " + std::to_string(list) + "' names no sync list (the script has " +
                                 std::to_string(lists.size()) + ", numbered from 0)");
    else if (lists[size_t(list)].empty())
        findings.error(line, "'sync " + std::to_string(list) + "' names an empty sync list (line " +
                                 std::to_string(in.show.syncLines[size_t(list)].line) + ")");
}

// Without a type a scene draws nothing (the tube and sync scenes take theirs elsewhere).
void checkType(const Statement& s, Findings& findings) {
    const CScene& r = s.record;
    if (!s.reached || s.ends || r.sync || r.sceneNumber != 0 || r.type == 0 || r.type == 1) return;
    findings.warning(s.line, r.type == 100 ? "no 'type' (0 model, 1 image): the scene draws nothing"
                                           : "'type " + std::to_string(r.type) + "' draws nothing (0 model, 1 image)");
}

}  // namespace

void checkTiming(const CheckInput& in, Findings& findings) {
    const LoadedShow& show = in.show;
    const Statement* latest = nullptr;  // the latest start so far
    for (size_t i = 0; i < show.statements.size(); i++) {
        const Statement& s = show.statements[i];
        const StatementShape shape = statementShape(s.text);
        if (shape.words.empty()) continue;
        checkOrder(s, latest, findings);
        checkRange(s, shape, findings);
        checkSpan(s, shape, findings);
        checkEnd(in, i, findings);
        checkSyncList(in, s, shape, findings);
        checkType(s, findings);
        if (!latest || s.time > latest->time) latest = &s;
    }
    if (show.hasTimeline && show.endIndex < 0) {
        const JoinedLine* dropped = droppedEnd(show);
        findings.warning(0, "no statement with 'end': the show never ends by itself" +
                                (dropped ? " (line " + std::to_string(dropped->line) + " is continued into \"@end\")"
                                         : std::string()));
    }
}
