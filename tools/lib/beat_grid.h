// The beats of a show's music in show milliseconds: a steady grid (a tempo
// and its first beat), or the beats a tracker found where the tempo moves.
// Bars are four beats, counted from 1 at the first beat.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Beat {
    double ms;
    int64_t count;  // beats since the first beat: 0 for the first
};

class BeatGrid {
public:
    static constexpr int64_t kEndless = INT64_MAX;

    BeatGrid() = default;  // no beats
    // count beats, one every 60000 / bpm ms from first on (endless by default).
    static BeatGrid steady(double bpm, double first, int64_t count = kEndless);
    // Beats at the given times, ascending; fewer than two make no grid.
    static BeatGrid tracked(std::vector<double> times);

    bool empty() const { return period_ <= 0; }
    bool isSteady() const { return times_.empty(); }
    double bpm() const { return empty() ? 0 : 60000.0 / period_; }
    double period() const { return period_; }  // ms; the median one for tracked beats
    double first() const { return isSteady() ? first_ : times_.front(); }
    // How many beats there are; kEndless for an endless grid.
    int64_t size() const { return isSteady() ? count_ : int64_t(times_.size()); }
    // The k-th beat, 0 <= k < size().
    double at(int64_t k) const { return isSteady() ? first_ + double(k) * period_ : times_[size_t(k)]; }

    // The beats from..to (inclusive) whose count is a multiple of every, in
    // order: the ticks of a ruler that shows every beat, or only bars.
    std::vector<Beat> between(double from, double to, int64_t every = 1) const;
    // The count of the beat at or before t: negative before the first beat;
    // past the last one the tempo carries on.
    int64_t countAt(double t) const;
    // "bar:beat" at t, four beats a bar.
    std::string barBeat(double t) const;
    // The beat nearest to t; nothing without beats.
    std::optional<double> nearest(double t) const;

private:
    // The first beat index at or after t (may be size()).
    int64_t firstFrom(double t) const;

    double period_ = 0;
    double first_ = 0;
    int64_t count_ = 0;
    std::vector<double> times_;  // tracked beats; empty for a steady grid
};
