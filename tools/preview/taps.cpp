#include "taps.h"

#include <algorithm>
#include <cmath>

#include "beat_grid.h"
#include "script_time.h"

bool TapTake::tap(int32_t t) {
    restarted_ = !taps_.empty() && t <= taps_.back();
    if (restarted_) taps_.clear();
    if (taps_.size() >= kMostTaps) return false;
    taps_.push_back(t);
    return true;
}

std::optional<TakenSync> TapTake::finish(const BeatGrid* beats) {
    std::vector<int32_t> marks;
    marks.swap(taps_);
    if (beats && !beats->empty()) {
        // Whole milliseconds of each beat: the lengths then add up to the
        // beats themselves, with no drift over a long list.
        for (int32_t& t : marks) t = int32_t(std::llround(beats->nearest(t).value_or(t)));
        marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
    }
    if (marks.size() < 2) return std::nullopt;
    TakenSync taken;
    taken.start = marks.front();
    taken.comment = "# " + std::to_string(marks.size() - 1) + " marks tapped from " + scriptSeconds(taken.start) +
                    ": a sync scene that starts there follows them (fill in the tracks)";
    taken.syncLine = "Sync";
    for (size_t i = 1; i < marks.size(); i++) taken.syncLine += " ? " + scriptSeconds(marks[i] - marks[i - 1]);
    return taken;
}
