// From parsed statements to bars, and the walk of sync scenes through their marks.
#include <algorithm>

#include "grammar.h"
#include "timeline.h"

namespace {

// The statement's object as written: "a.jpg", or "a.jpg → b.jpg" when it changes.
std::string objectLabel(const std::string& statement) {
    const StatementShape shape = statementShape(statement);
    std::string label;
    for (const Clause& clause : shape.clauses) {
        if (clause.keyword.text != "object" || clause.operands.empty()) continue;
        label = clause.operands.front().text;
        if (clause.animated && clause.operands.size() > clause.startCount)
            label += " \u2192 " + clause.operands[clause.startCount].text;
    }
    return label;
}

BarKind kindOf(const CScene& r) {
    if (r.insync) return BarKind::Template;
    if (r.sync) return BarKind::Sync;
    if (r.sceneNumber == 1) return BarKind::Tube;
    if (r.sceneNumber != 0) return BarKind::Nothing;
    return r.type == 0 ? BarKind::Model : r.type == 1 ? BarKind::Image : BarKind::Nothing;
}

// Whether a scene of track is in the scene list at time t for a mark to copy:
// a template from its parse on, any other scene while it runs.
const Bar* templateAt(const std::vector<Bar>& bars, int32_t track, int32_t t) {
    const Bar* found = nullptr;
    for (const Bar& b : bars) {
        if (b.track != track || b.from > t || b.kind == BarKind::Sync) continue;
        if (b.kind == BarKind::Template) return &b;
        if (t < b.to && !found) found = &b;
    }
    return found;
}

// A guard against lists whose marks have no length.
const size_t kMaxSegments = 5000;

// The marks as the compositor takes them: the first at the scene's first
// frame; each later one when the current segment ends, its end planned from
// the previous one; a mark with no scene of its track is passed over.
std::vector<SyncSegment> syncSegments(const Bar& bar, const std::vector<SYNC>& marks, const std::vector<Bar>& bars) {
    std::vector<SyncSegment> segments;
    if (marks.empty() || bar.to <= bar.from) return segments;
    auto take = [&](const SYNC& m, int32_t t, int64_t end) -> bool {
        const Bar* shown = templateAt(bars, m.track, t);
        if (!shown) return false;
        segments.push_back({t, int32_t(std::clamp<int64_t>(end, t, bar.to)), m.track, shown->label});
        return true;
    };
    int64_t next = int64_t(bar.from) + marks[0].length;
    if (!take(marks[0], bar.from, next)) return segments;  // keeps its own look
    size_t pos = 1;
    while (next < bar.to && segments.size() < kMaxSegments) {
        const int32_t t = int32_t(std::max<int64_t>(next, segments.back().from));
        bool found = false;
        for (size_t tries = 0; tries < marks.size() && !found; tries++) {
            const SYNC& m = marks[pos++ % marks.size()];
            found = take(m, t, next + m.length);
            if (found) next += m.length;
        }
        if (!found) break;
    }
    // The last look stays until the scene's life ends.
    segments.back().to = bar.to;
    return segments;
}

}  // namespace

Timeline buildTimeline(const LoadedShow& show) {
    Timeline t;
    t.hasEnd = show.endIndex >= 0;
    t.end = show.endTime;
    for (const Statement& s : show.statements) {
        if (!s.reached || s.ends) continue;
        const CScene& r = s.record;
        Bar bar{s.line, r.track, s.shownAt, r.sync ? r.syncEndTime : r.endTime, kindOf(r), objectLabel(s.text),
                false, r.sync ? r.syncList : -1, {}};
        if (r.sceneNumber == 1 && bar.label.empty()) bar.label = "tube";
        bar.vanishes = bar.kind != BarKind::Template && bar.to <= bar.from;
        t.bars.push_back(bar);
    }
    // The picture runs from 0 (or an earlier start) to the end or the last
    // scene's end, whichever is later; templates last until the show ends.
    t.first = 0;
    t.last = t.hasEnd ? t.end : 0;
    for (const Bar& b : t.bars) {
        t.first = std::min(t.first, b.from);
        if (b.kind != BarKind::Template) t.last = std::max({t.last, b.from, b.to});
    }
    if (t.last <= t.first) t.last = t.first + 10000;
    for (Bar& b : t.bars)
        if (b.kind == BarKind::Template) b.to = std::max(b.from, t.hasEnd ? t.end : t.last);
    for (Bar& b : t.bars)
        if (b.kind == BarKind::Sync && b.syncList >= 0 && size_t(b.syncList) < show.syncLists.size())
            b.segments = syncSegments(b, show.syncLists[size_t(b.syncList)], t.bars);
    return t;
}
