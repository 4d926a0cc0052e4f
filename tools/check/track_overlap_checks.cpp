// Scenes of one track that run at the same time: the player draws both, in
// the order it took them, which the author may not have meant.
#include <algorithm>
#include <map>

#include "checks.h"

void checkTrackOverlaps(const CheckInput&, const Timeline& timeline, Findings& findings) {
    // Sync scenes take their templates' tracks mark by mark, and templates
    // are never drawn: only scenes that draw on their own track count.
    std::map<int32_t, std::vector<const Bar*>> tracks;
    for (const Bar& b : timeline.bars)
        if ((b.kind == BarKind::Image || b.kind == BarKind::Model || b.kind == BarKind::Tube) && !b.vanishes)
            tracks[b.track].push_back(&b);
    for (auto& [track, bars] : tracks) {
        // The order the player takes them in, which is the order it draws them in.
        std::stable_sort(bars.begin(), bars.end(), [](const Bar* a, const Bar* b) { return a->from < b->from; });
        const Bar* reach = nullptr;  // the scene taken so far that runs longest
        for (const Bar* b : bars) {
            if (reach && b->from < reach->to && (!timeline.hasEnd || b->from < timeline.end)) {
                int32_t until = std::min(b->to, reach->to);
                if (timeline.hasEnd) until = std::min(until, timeline.end);
                findings.add(Findings::kScript, b->line, Severity::Note,
                             "this scene of track " + std::to_string(track) + " runs at the same time as the one " +
                                 "on line " + std::to_string(reach->line) + ", from " + seconds(b->from) + " to " +
                                 seconds(until) + ": both are drawn, that one first and this one after it");
            }
            if (!reach || b->to > reach->to) reach = b;
        }
    }
}
