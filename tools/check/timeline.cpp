// From parsed statements to bars, and the walk of sync scenes through their marks.
#include <algorithm>
#include <map>

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

// The scenes of each track, for the marks to look up.
struct TrackIndex {
    std::map<int32_t, std::vector<const Bar*>> scenes;    // templates excluded
    std::map<int32_t, const Bar*> firstTemplate;          // the earliest template

    explicit TrackIndex(const std::vector<Bar>& bars) {
        for (const Bar& b : bars) {
            if (b.kind == BarKind::Sync) continue;
            if (b.kind != BarKind::Template) {
                scenes[b.track].push_back(&b);
                continue;
            }
            const Bar*& first = firstTemplate[b.track];
            if (!first || b.from < first->from) first = &b;
        }
    }
    // A scene of track in the scene list at time t for a mark to copy: a
    // template from its parse on, any other scene while it runs.
    const Bar* at(int32_t track, int32_t t) const {
        const auto templ = firstTemplate.find(track);
        if (templ != firstTemplate.end() && templ->second->from <= t) return templ->second;
        const auto list = scenes.find(track);
        if (list == scenes.end()) return nullptr;
        for (const Bar* b : list->second)
            if (b->from <= t && t < b->to) return b;
        return nullptr;
    }
};

// Guards against lists whose marks have no length: segments per scene and
// in the whole picture.
const size_t kMaxSegments = 5000;
const size_t kMaxAllSegments = 50000;

// The marks as the compositor takes them: the first at the scene's first
// frame; each later one when the current segment ends, its end planned from
// the previous one; a mark with no scene of its track is passed over.
void syncSegments(Bar& bar, const std::vector<SYNC>& marks, const TrackIndex& tracks) {
    std::vector<SyncSegment>& segments = bar.segments;
    if (marks.empty() || bar.to <= bar.from) return;
    auto take = [&](size_t mark, int32_t t, int64_t end) -> bool {
        const SYNC& m = marks[mark];
        const Bar* shown = tracks.at(m.track, t);
        if (!shown) {
            if (bar.misses.size() < kMaxSegments) bar.misses.push_back({t, mark, m.track});
            return false;
        }
        segments.push_back({t, int32_t(std::clamp<int64_t>(end, t, bar.to)), m.track, shown->label, shown->line, mark});
        return true;
    };
    int64_t next = int64_t(bar.from) + marks[0].length;
    if (!take(0, bar.from, next)) return;  // keeps its own look
    size_t pos = 1;
    while (next < bar.to && segments.size() < kMaxSegments) {
        const int32_t t = int32_t(std::max<int64_t>(next, segments.back().from));
        bool found = false;
        for (size_t tries = 0; tries < marks.size() && !found; tries++) {
            const size_t mark = pos++ % marks.size();
            found = take(mark, t, next + marks[mark].length);
            if (found) next += marks[mark].length;
        }
        if (!found) break;
    }
    // The last look stays until the scene's life ends.
    segments.back().to = bar.to;
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
                false, r.sync ? r.syncList : -1, {}, {}};
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
    const TrackIndex tracks(t.bars);
    size_t segments = 0;
    for (Bar& b : t.bars) {
        if (b.kind != BarKind::Sync || b.syncList < 0 || size_t(b.syncList) >= show.syncLists.size()) continue;
        if (segments > kMaxAllSegments) break;
        syncSegments(b, show.syncLists[size_t(b.syncList)], tracks);
        segments += b.segments.size();
    }
    return t;
}
