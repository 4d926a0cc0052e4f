#include "beat_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

// Beat counts as doubles stay exact far beyond any show's length; this keeps
// their conversion to 64 bits defined for any time asked about.
static int64_t toCount(double k) { return int64_t(std::clamp(k, -9.0e15, 9.0e15)); }

BeatGrid BeatGrid::steady(double bpm, double first, int64_t count) {
    BeatGrid grid;
    if (!(bpm > 0) || !std::isfinite(bpm) || !std::isfinite(first) || count <= 0) return grid;
    grid.period_ = 60000.0 / bpm;
    grid.first_ = first;
    grid.count_ = count;
    return grid;
}

BeatGrid BeatGrid::tracked(std::vector<double> times) {
    BeatGrid grid;
    if (times.size() < 2) return grid;
    std::vector<double> gaps;
    for (size_t i = 1; i < times.size(); i++) gaps.push_back(times[i] - times[i - 1]);
    std::nth_element(gaps.begin(), gaps.begin() + long(gaps.size() / 2), gaps.end());
    if (!(gaps[gaps.size() / 2] > 0)) return grid;
    grid.period_ = gaps[gaps.size() / 2];
    grid.times_ = std::move(times);
    return grid;
}

int64_t BeatGrid::firstFrom(double t) const {
    if (!isSteady()) return int64_t(std::lower_bound(times_.begin(), times_.end(), t) - times_.begin());
    const int64_t k = toCount(std::ceil((t - first_) / period_));
    return std::clamp<int64_t>(k, 0, count_);
}

std::vector<Beat> BeatGrid::between(double from, double to, int64_t every) const {
    std::vector<Beat> beats;
    if (empty() || every < 1 || !(from <= to)) return beats;
    int64_t k = firstFrom(from);
    if (k % every) k += every - k % every;
    for (; k < size() && at(k) <= to; k += every) beats.push_back({at(k), k});
    return beats;
}

int64_t BeatGrid::countAt(double t) const {
    if (empty()) return 0;
    const double first = this->first();
    // Before the first beat, and along a steady grid past its last, the tempo counts on.
    if (isSteady() || t < first) return toCount(std::floor((t - first) / period_));
    if (t >= times_.back()) return int64_t(times_.size()) - 1 + toCount(std::floor((t - times_.back()) / period_));
    return int64_t(std::upper_bound(times_.begin(), times_.end(), t) - times_.begin()) - 1;
}

std::string BeatGrid::barBeat(double t) const {
    const int64_t beat = countAt(t);
    const int64_t bar = beat >= 0 ? beat / 4 : (beat - 3) / 4;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%lld", (long long)(bar + 1), (long long)(beat - bar * 4 + 1));
    return text;
}

std::optional<double> BeatGrid::nearest(double t) const {
    if (empty()) return std::nullopt;
    const int64_t k = firstFrom(t);
    if (k >= size()) return at(k - 1);
    if (k == 0) return at(0);
    return t - at(k - 1) <= at(k) - t ? at(k - 1) : at(k);
}
