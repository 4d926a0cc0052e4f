// Times that nearly fall on the music's beats: a start time a frame or two
// off a beat, a sync length a little off a whole number of beats.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "beat_grid.h"
#include "checks.h"

namespace {

// Closer than this counts as on the beat: found beats are placed to a
// millisecond or two, and a third of a frame is not seen.
const double kOnBeatMs = 5;
// Further than this (or than a sixth of a beat) is meant to be off the beat.
const double kNearBeatMs = 50;

std::string exactSeconds(int64_t ms) {
    char text[40];
    std::snprintf(text, sizeof text, "%.3f s", double(ms) / 1000.0);
    return text;
}

// Milliseconds off by, when near but not on; 0 otherwise.
int64_t nearlyOff(int64_t ms, int64_t target, double period) {
    const int64_t off = ms - target;
    const double reach = std::min(kNearBeatMs, period / 6);
    return std::llabs(off) > kOnBeatMs && double(std::llabs(off)) <= reach ? off : 0;
}

void checkStartTimes(const CheckInput& in, const BeatGrid& beats, Findings& findings) {
    for (const Statement& s : in.show.statements) {
        if (s.text.find_first_not_of(" \t\r\v\f") == std::string::npos) continue;  // a blank line's time is borrowed
        const std::optional<double> beat = beats.nearest(s.time);
        if (!beat) continue;
        const int64_t target = std::llround(*beat), off = nearlyOff(s.time, target, beats.period());
        if (off == 0) continue;
        findings.add(Findings::kScript, s.line, Severity::Note,
                     "starts at " + exactSeconds(s.time) + ", " + std::to_string(std::llabs(off)) + " ms " +
                         (off < 0 ? "before" : "after") + " the beat at " + exactSeconds(target));
    }
}

// Against whole beats of a steady tempo; each length once a line.
void checkSyncLengths(const CheckInput& in, const BeatGrid& beats, Findings& findings) {
    const LoadedShow& show = in.show;
    const double period = beats.period();
    for (size_t list = 0; list < show.syncLists.size() && list < show.syncLines.size(); list++) {
        const OptionLine& line = show.syncLines[list];
        LineFindings listed(findings, line.line, "on this line");
        std::set<int32_t> told;
        const std::vector<SYNC>& marks = show.syncLists[list];
        for (size_t m = 0; m < marks.size() && 2 * m + 1 < line.words.size(); m++) {
            const int32_t length = marks[m].length;
            const double whole = std::round(double(length) / period);
            if (whole < 1 || told.count(length)) continue;
            const int64_t target = std::llround(whole * period), off = nearlyOff(length, target, period);
            if (off == 0 || !listed.list("sync lengths near whole beats", Severity::Note)) continue;
            told.insert(length);
            const long long count = (long long)whole;
            findings.add(Findings::kScript, optionWordLine(in, line.line, line.words, 2 * m + 1), Severity::Note,
                         "mark " + std::to_string(m + 1) + " of sync list " + std::to_string(list) + " lasts " +
                             exactSeconds(length) + ", " + std::to_string(std::llabs(off)) + " ms " +
                             (off < 0 ? "short of " : "longer than ") + std::to_string(count) +
                             (count == 1 ? " beat (" : " beats (") + exactSeconds(target) + ")");
        }
        listed.finish();
    }
}

}  // namespace

void checkBeats(const CheckInput& in, Findings& findings) {
    if (!in.beats || in.beats->empty()) return;
    checkStartTimes(in, *in.beats, findings);
    // Where the tempo moves, there is no one length of a beat.
    if (in.beats->isSteady()) checkSyncLengths(in, *in.beats, findings);
}
