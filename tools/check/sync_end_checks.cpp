// Sync lists longer than the show: the marks after its end are never shown.
#include <map>

#include "checks.h"

void checkSyncMarksPastEnd(const CheckInput& in, const Timeline& timeline, Findings& findings) {
    const LoadedShow& show = in.show;
    if (!timeline.hasEnd) return;
    // Of the sync scenes of each list, the one that starts last before the
    // end takes its marks furthest.
    std::map<int32_t, const Bar*> latest;
    for (const Bar& b : timeline.bars) {
        if (b.kind != BarKind::Sync || b.syncList < 0 || size_t(b.syncList) >= show.syncLists.size() ||
            size_t(b.syncList) >= show.syncLines.size() || b.from >= timeline.end)
            continue;
        const Bar*& last = latest[b.syncList];
        if (!last || b.from > last->from) last = &b;
    }
    for (const auto& [list, b] : latest) {
        // The marks' times on the first pass through the list, from the scene's start.
        const std::vector<SYNC>& marks = show.syncLists[size_t(list)];
        int64_t at = b->from;
        size_t reached = 0;
        for (const SYNC& m : marks) {
            if (at >= timeline.end) break;
            reached++;
            at += m.length;
        }
        if (reached == marks.size()) continue;
        int64_t last = b->from;
        for (const SYNC& m : marks) last += m.length;
        findings.add(Findings::kScript, show.syncLines[size_t(list)].line, Severity::Note,
                     "the marks of sync list " + std::to_string(list) + " run to " + seconds(last) +
                         " from the sync scene on line " + std::to_string(b->line) + " (at " + seconds(b->from) +
                         "), past the end of the show at " + seconds(timeline.end) + ": " +
                         (reached + 1 == marks.size() ? "mark " + std::to_string(reached + 1) + " is"
                                                      : "marks " + std::to_string(reached + 1) + " to " +
                                                            std::to_string(marks.size()) + " are") +
                         " never shown");
    }
}
