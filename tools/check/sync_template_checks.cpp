// Scenes that sync marks copy but that are not templates: a scene without
// "insync" leaves the scene list when its span ends, and a mark after that
// finds no scene of its track, or another one.
#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "checks.h"
#include "timeline.h"

namespace {

struct SyncCheck {
    const CheckInput& in;
    Findings& findings;
    std::map<int32_t, std::vector<const Bar*>> scenes;  // per track, not templates, by the end of their span
    std::map<int, const Bar*> byLine;
    std::set<std::pair<int, int>> told;  // (scene line, sync scene line) reported

    SyncCheck(const CheckInput& in, const Timeline& timeline, Findings& findings) : in(in), findings(findings) {
        for (const Bar& b : timeline.bars) {
            byLine[b.line] = &b;
            if (b.kind != BarKind::Template && b.kind != BarKind::Sync) scenes[b.track].push_back(&b);
        }
        for (auto& entry : scenes)
            std::sort(entry.second.begin(), entry.second.end(), [](const Bar* a, const Bar* b) { return a->to < b->to; });
    }

    // The scene of track, not a template, whose span ended last by time at; null when none has.
    const Bar* goneBy(int32_t track, int32_t at) const {
        const auto list = scenes.find(track);
        if (list == scenes.end()) return nullptr;
        const auto after = std::upper_bound(list->second.begin(), list->second.end(), at,
                                            [](int32_t t, const Bar* b) { return t < b->to; });
        return after == list->second.begin() ? nullptr : *(after - 1);
    }

    void report(const Bar& gone, const Bar& sync, size_t mark, int32_t at, const std::string& outcome) {
        if (!told.insert({gone.line, sync.line}).second) return;
        const size_t list = size_t(sync.syncList);
        const int listLine = list < in.show.syncLines.size() ? in.show.syncLines[list].line : 0;
        const std::string track = std::to_string(gone.track);
        findings.warning(gone.line, "this scene of track " + track + " has no 'insync', so it is gone at " + seconds(gone.to) +
                                        "; mark " + std::to_string(mark + 1) + " of sync list " + std::to_string(list) +
                                        " (line " + std::to_string(listLine) + ") needs track " + track + " at " +
                                        seconds(at) + " for the sync scene on line " + std::to_string(sync.line) +
                                        " and " + outcome + " (give this scene 'insync')");
    }

    void checkSyncScene(const Bar& sync) {
        for (const SyncMiss& miss : sync.misses)
            if (const Bar* gone = goneBy(miss.track, miss.at)) report(*gone, sync, miss.mark, miss.at, "finds no template");
        // A track whose mark showed one scene and, once that was gone, another.
        std::map<int32_t, int> shownLine;
        for (const SyncSegment& segment : sync.segments) {
            int& before = shownLine[segment.track];
            const auto previous = byLine.find(before);
            if (before != 0 && before != segment.line && previous != byLine.end()) {
                const Bar& gone = *previous->second;
                if (gone.kind != BarKind::Template && gone.to <= segment.from)
                    report(gone, sync, segment.mark, segment.from,
                           "takes the scene on line " + std::to_string(segment.line) + " instead");
            }
            before = segment.line;
        }
    }
};

}  // namespace

void checkSyncTemplates(const CheckInput& in, const Timeline& timeline, Findings& findings) {
    SyncCheck check(in, timeline, findings);
    for (const Bar& b : timeline.bars)
        if (b.kind == BarKind::Sync && b.syncList >= 0 && size_t(b.syncList) < in.show.syncLists.size())
            check.checkSyncScene(b);
}
