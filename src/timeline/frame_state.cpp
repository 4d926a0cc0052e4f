#include "timeline/frame_state.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "script/script.h"

// Mark lengths come from the script unchecked: sums saturate instead of wrapping.
static int32_t addTime(int32_t a, int32_t b) {
    const int64_t sum = static_cast<int64_t>(a) + b;
    if (sum > INT32_MAX) return INT32_MAX;
    if (sum < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(sum);
}

// The start time of the next statement to parse; INT64_MAX when none is left.
static int64_t nextStatementTime() {
    const int32_t next = script.nextStatement;
    if (next < 0) return INT64_MAX;
    const size_t index = static_cast<size_t>(next);
    if (index >= script.statements.size() || index >= script.startTimes.size()) return INT64_MAX;
    return script.startTimes[index];
}

// At most one group of equal start times per frame; the parser takes the group.
static void takeDueStatements(int32_t now) {
    if (now >= nextStatementTime()) script.parse();
}

// The sync list a scene follows, or null when it names none or an empty one:
// such a scene keeps its own look and times.
static const std::vector<SYNC>* syncListOf(const CScene& s) {
    if (s.syncList < 0 || static_cast<size_t>(s.syncList) >= script.syncLists.size()) return nullptr;
    const std::vector<SYNC>& list = script.syncLists[s.syncList];
    return list.empty() ? nullptr : &list;
}

// The walk erases by packing the scenes it keeps at the front of the list,
// so the list as it stands skips the slots [gap.begin, gap.end): those
// erased so far, behind the kept ones. Set only during the walk.
static struct {
    size_t begin = 0, end = 0;
} gap;

// The first scene of the list on the given track: the template of a mark.
static const CScene* findTrack(int32_t track) {
    const std::vector<CScene>& scenes = script.scenes;
    for (size_t i = 0; i < scenes.size(); i++) {
        if (i == gap.begin) i = gap.end;
        if (i < scenes.size() && scenes[i].track == track) return &scenes[i];
    }
    return nullptr;
}

// Restyles s from the template of mark m; a scene that is its own template
// already has that look.
static bool takeLook(CScene& s, const SYNC& m) {
    const CScene* look = findTrack(m.track);
    if (!look) return false;
    if (look != &s) s.copy(*look);
    return true;
}

// First visit: take the first mark; every visit: loop the list.
static void syncStart(CScene& s, const std::vector<SYNC>& list, int32_t now) {
    if (s.syncPos < 0) {
        s.syncPos = 1;
        if (takeLook(s, list[0])) {
            s.startTime = now;
            s.syncNextTime = addTime(now, list[0].length);
            s.endTime = s.syncNextTime;
        }
    }
    if (static_cast<size_t>(s.syncPos) >= list.size()) s.syncPos = 0;
}

// The next segment ends at the planned mark time, not at now plus the
// length, so late frames do not push later marks back.
static void syncMark(CScene& s, const std::vector<SYNC>& list, int32_t now) {
    if (now < s.endTime) return;
    const SYNC& m = list[s.syncPos];
    if (takeLook(s, m)) {
        s.startTime = now;
        s.syncNextTime = addTime(s.syncNextTime, m.length);
        s.endTime = s.syncNextTime;
    }
    s.syncPos++;
}

// Advances one scene and draws it when it runs; returns false when it is
// to be erased.
static bool visit(CScene& s, int32_t now, void (*draw)(CScene&)) {
    const std::vector<SYNC>* list = s.sync ? syncListOf(s) : nullptr;
    if (list) syncStart(s, *list, now);
    // Templates stay for the sync scenes that copy them.
    if (!s.isRunning()) return s.insync;
    if (list) syncMark(s, *list, now);
    if (draw) draw(s);
    return true;
}

void advanceFrame(int32_t now, void (*draw)(CScene&)) {
    takeDueStatements(now);
    // One pass that erases in place: a whole group ending in one frame
    // costs no more than walking it.
    std::vector<CScene>& scenes = script.scenes;
    size_t kept = 0;
    for (size_t i = 0; i < scenes.size(); i++) {
        gap = {kept, i};
        if (!visit(scenes[i], now, draw)) continue;
        if (kept != i) scenes[kept] = scenes[i];
        kept++;
    }
    gap = {0, 0};
    scenes.erase(scenes.begin() + static_cast<std::ptrdiff_t>(kept), scenes.end());
}

// Mirrors visit(): every time below is one at which it starts doing
// something else with a scene.
int64_t nextChange(int64_t from) {
    int64_t change = nextStatementTime();
    for (const CScene& s : script.scenes) {
        const std::vector<SYNC>* list = s.sync ? syncListOf(s) : nullptr;
        // A first visit takes a mark, and a list that has run out wraps.
        if (list && (s.syncPos < 0 || static_cast<size_t>(s.syncPos) >= list->size())) return from;
        if (s.sync) {
            // The end of its life erases it; a template only stops being drawn.
            if (!s.insync || from < s.syncEndTime) change = std::min<int64_t>(change, s.syncEndTime);
            // Its next mark, if it comes while the scene runs.
            if (list && std::max<int64_t>(from, s.endTime) < s.syncEndTime)
                change = std::min<int64_t>(change, s.endTime);
        } else if (!s.insync) {
            change = std::min<int64_t>(change, s.endTime);
        }
    }
    return std::max(change, from);
}
