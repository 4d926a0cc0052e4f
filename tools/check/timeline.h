// The show as a picture: what each track shows when, for --timeline.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "load_show.h"

enum class BarKind { Image, Model, Tube, Nothing, Template, Sync };

// A stretch of a sync scene that shows one template.
struct SyncSegment {
    int32_t from, to;
    int32_t track;      // the template's track
    std::string label;  // the template's object
    int line;           // the template's statement
    size_t mark;        // the mark's index in the sync list
};

// A mark that found no scene of its track.
struct SyncMiss {
    int32_t at;
    size_t mark;  // its index in the sync list
    int32_t track;
};

// One scene: from the moment the player parses it to the end of its life.
struct Bar {
    int line;
    int32_t track;
    int32_t from, to;   // a template lasts to the end of the picture
    BarKind kind;
    std::string label;  // its object, "tube", or empty
    bool vanishes;      // erased on the frame it appears
    int32_t syncList;   // the list a sync scene follows, or -1
    std::vector<SyncSegment> segments;
    std::vector<SyncMiss> misses;
};

struct Timeline {
    std::vector<Bar> bars;
    bool hasEnd = false;
    int32_t end = 0;
    int32_t first = 0, last = 0;  // the span the picture covers, in ms
};

Timeline buildTimeline(const LoadedShow& show);
// An SVG document of the timeline; title heads it.
std::string timelineSvg(const Timeline& timeline, const std::string& title);
