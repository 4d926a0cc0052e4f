// The timeline strip along the bottom of the window, a ruler of the show: a
// row per track, labelled with it, with the scenes' bars as korvane-check's
// timeline draws them and the sync segments; the music's loudness under the
// rows, its beats as ticks with bar numbers above, a time scale below; the
// loop range, the end and the playhead.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "timeline.h"

class BeatGrid;
class OverlayText;

struct StripMarks {
    int32_t playhead = 0;
    std::optional<int32_t> loopFrom, loopTo;
    bool loopOn = false;
};

// What the strip shows of the music; each may be missing.
struct StripMusic {
    const BeatGrid* beats = nullptr;
    const std::vector<float>* loudness = nullptr;  // peaks of blocks of loudnessMs
    int loudnessMs = 10;
    uint64_t serial = 0;  // another for other music
};

class TimelineStrip {
public:
    // Lays the strip out for a timeline in a window of the given size, with
    // labels in the given text (its lines' height decides the bands); with a
    // band for bar numbers when there are beats.
    void layOut(const Timeline& timeline, int windowWidth, int windowHeight, OverlayText& labels, bool withBars);
    bool withBars() const { return withBars_; }
    // Draws it; needs the overlay's GL state.
    void draw(const StripMarks& marks, const StripMusic& music, OverlayText& labels);
    // The show time under a window pixel (origin at the top left), or
    // nothing when the pixel is not on the strip.
    std::optional<int32_t> timeAt(int x, int y) const;
    // The show time at a window column, wherever the pointer is: for a drag
    // that has left the strip. Nothing when there is no timeline.
    std::optional<int32_t> timeAlong(int x) const;
    // The bar drawn under a window pixel, or null.
    const Bar* barAt(int x, int y) const;
    int top() const { return top_; }

private:
    float x(int64_t ms) const;
    double msAt(double px) const;
    void drawLoudness(const StripMusic& music);
    void drawBeats(const BeatGrid& beats, OverlayText& labels);
    void drawScale(OverlayText& labels);
    void drawLabels(OverlayText& labels);

    const Timeline* timeline_ = nullptr;
    std::vector<int32_t> tracks_;  // ascending, as the checker's picture orders them
    std::vector<int> rowOfBar_;
    std::vector<const char*> segmentColours_;  // of every sync segment, in drawing order
    std::vector<const char*> barColours_;      // of every bar: a template's is its segments'
    bool withBars_ = false;
    int labelHeight_ = 0;
    int left_ = 0, right_ = 0, top_ = 0, bottom_ = 0;
    int rowsTop_ = 0, rowsBottom_ = 0;
    float rowHeight_ = 1;
    // The loudness per pixel column, kept while the music and the layout stay.
    uint64_t columnsOf_ = 0;
    std::vector<float> columns_;
};
