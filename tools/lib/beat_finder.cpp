#include "beat_finder.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// The tracker's windows: 23 ms every 11.6 ms at 44.1 kHz. Onsets are found
// at a quarter of that hop, to place the grid more finely than the tracker.
const unsigned kWindow = 1024, kHop = 512;
const unsigned kOnsetWindow = 512, kOnsetHop = 128;
// aubio drops a beat it predicts in a hop of digital silence, such as the
// gap between a metronome's clicks. A noise floor far below hearing
// (-120 dB) keeps them; where beats may be is decided by our own test of
// silence, on the samples themselves.
const float kNoiseFloor = 1e-6f;
const smpl_t kAubioSilenceDb = -150;
const float kSilentPeak = 0.001f;  // -60 dB of full scale: quieter counts as silence
// Fewer beats than this tell no tempo.
const size_t kFewestBeats = 8;
// A steady grid: most of the tracker's beats that an onset confirms lie
// this close to one line.
const double kSteadyMs = 35;
const double kSteadyShare = 0.75;
// An onset this close confirms a beat.
const double kOnsetReachMs = 40;
// Gaps between the tracker's beats that match (or a tenth of the gap).
const double kLikeGapMs = 30;
// The beat moves half a beat when the energy rises this much more there.
const double kOffBeatShare = 1.5;

struct TempoFree {
    void operator()(aubio_tempo_t* t) const { del_aubio_tempo(t); }
};
struct OnsetFree {
    void operator()(aubio_onset_t* o) const { del_aubio_onset(o); }
};
struct VectorFree {
    void operator()(fvec_t* v) const { del_fvec(v); }
};

// What aubio heard, and where the music sounds.
struct Heard {
    std::vector<double> beats;   // ms, as the tracker placed them
    std::vector<double> onsets;  // ms
    std::vector<int> loudHops;   // loudHops[h]: hops before h that are not silent
    std::vector<float> rises;    // per hop: how much its energy rose over the hop before
    double hopMs = 0;
    double lengthMs = 0;

    // Whether any sound lies within ms of t.
    bool soundNear(double t, double ms) const {
        const double last = double(loudHops.size()) - 1;
        const double h0 = std::clamp(std::floor((t - ms) / hopMs), 0.0, last);
        const double h1 = std::clamp(std::floor((t + ms) / hopMs) + 1, 0.0, last);
        return loudHops[size_t(h1)] > loudHops[size_t(h0)];
    }
};

bool listen(const int16_t* samples, size_t frames, int channels, int rate, const std::atomic<bool>& cancel,
            Heard& heard) {
    std::unique_ptr<aubio_tempo_t, TempoFree> tempo(new_aubio_tempo("default", kWindow, kHop, unsigned(rate)));
    std::unique_ptr<aubio_onset_t, OnsetFree> onset(
        new_aubio_onset("default", kOnsetWindow, kOnsetHop, unsigned(rate)));
    std::unique_ptr<fvec_t, VectorFree> in(new_fvec(kHop)), beat(new_fvec(2)), part(new_fvec(kOnsetHop)),
        found(new_fvec(1));
    if (!tempo || !onset || !in || !beat || !part || !found) return false;
    aubio_tempo_set_silence(tempo.get(), kAubioSilenceDb);
    aubio_onset_set_silence(onset.get(), kAubioSilenceDb);

    heard.hopMs = kHop * 1000.0 / rate;
    heard.lengthMs = double(frames) * 1000.0 / rate;
    heard.loudHops.assign(1, 0);
    const float scale = 1.0f / (32768.0f * float(channels));
    uint32_t noise = 1;
    float energyBefore = 0;
    for (size_t start = 0; start + kHop <= frames; start += kHop) {
        if (heard.loudHops.size() % 64 == 0 && cancel) return false;
        float peak = 0, energy = 0;
        const int16_t* frame = samples + start * size_t(channels);
        for (unsigned i = 0; i < kHop; i++, frame += channels) {
            int sum = 0;
            for (int c = 0; c < channels; c++) sum += frame[c];
            const float x = float(sum) * scale;
            peak = std::max(peak, std::fabs(x));
            energy += x * x;
            noise = noise * 1664525u + 1013904223u;
            in->data[i] = x + kNoiseFloor * (float(noise >> 8) / float(1u << 23) - 1.0f);
        }
        heard.loudHops.push_back(heard.loudHops.back() + (peak >= kSilentPeak ? 1 : 0));
        heard.rises.push_back(std::max(0.0f, energy - energyBefore));
        energyBefore = energy;
        aubio_tempo_do(tempo.get(), in.get(), beat.get());
        if (beat->data[0] != 0) heard.beats.push_back(aubio_tempo_get_last(tempo.get()) * 1000.0 / rate);
        for (unsigned q = 0; q < kHop / kOnsetHop; q++) {
            std::copy(in->data + q * kOnsetHop, in->data + (q + 1) * kOnsetHop, part->data);
            aubio_onset_do(onset.get(), part.get(), found.get());
            if (found->data[0] != 0) heard.onsets.push_back(aubio_onset_get_last(onset.get()) * 1000.0 / rate);
        }
    }
    return !cancel;
}

// A beat time against its count from some first beat.
struct Point {
    double k, ms;
};

// ms = a + period * k, the least-squares line through points.
struct Line {
    double a = 0, period = 0;
    double at(double k) const { return a + period * k; }
};

bool leastSquares(const std::vector<Point>& points, Line& line) {
    if (points.size() < 2) return false;
    double sk = 0, sm = 0;
    for (const Point& p : points) sk += p.k, sm += p.ms;
    const double n = double(points.size()), mk = sk / n, mm = sm / n;
    double kk = 0, km = 0;
    for (const Point& p : points) kk += (p.k - mk) * (p.k - mk), km += (p.k - mk) * (p.ms - mm);
    if (kk <= 0) return false;
    line.period = km / kk;
    line.a = mm - line.period * mk;
    return line.period > 0;
}

// Fits a line, then fits it again through the points within each of the
// tolerances in turn, so that a stray beat does not pull it.
bool fitLine(const std::vector<Point>& points, std::initializer_list<double> tolerances, Line& line) {
    if (!leastSquares(points, line)) return false;
    for (double tolerance : tolerances) {
        std::vector<Point> near;
        for (const Point& p : points)
            if (std::fabs(p.ms - line.at(p.k)) <= tolerance) near.push_back(p);
        if (!leastSquares(near, line)) return false;
    }
    return true;
}

// The onset nearest to t, if one lies within reach.
const double* onsetNear(const Heard& heard, double t, double reach) {
    auto next = std::lower_bound(heard.onsets.begin(), heard.onsets.end(), t);
    const double* best = nullptr;
    if (next != heard.onsets.end() && *next - t <= reach) best = &*next;
    if (next != heard.onsets.begin() && t - *(next - 1) <= reach && (!best || t - *(next - 1) < *best - t))
        best = &*(next - 1);
    return best;
}

// Moves the line onto the onsets that lie near its beats, where enough do.
void alignToOnsets(const Heard& heard, double kFirst, double kLast, Line& line) {
    const double reach = std::min(kOnsetReachMs, line.period / 8);
    std::vector<Point> matched;
    for (double k = kFirst; k <= kLast; k++)
        if (const double* onset = onsetNear(heard, line.at(k), reach)) matched.push_back({k, *onset});
    Line moved;
    if (double(matched.size()) < std::max(double(kFewestBeats), (kLast - kFirst + 1) / 2) ||
        !fitLine(matched, {reach / 2, 15.0}, moved) || std::fabs(moved.period - line.period) > line.period / 100)
        return;
    line = moved;
}

// The steadiest stretch of the tracker's beats: of the runs whose gaps
// each match the one before, the one with the most beats an onset confirms.
// Beats first to last, inclusive.
std::pair<size_t, size_t> steadiestRun(const std::vector<double>& beats, const std::vector<bool>& confirmed) {
    std::pair<size_t, size_t> best{0, 0};
    size_t bestCount = 0, first = 0;
    auto close = [&](size_t last) {
        size_t count = 0;
        for (size_t i = first; i <= last; i++) count += confirmed[i];
        if (count > bestCount || (count == bestCount && last - first > best.second - best.first))
            best = {first, last}, bestCount = count;
    };
    for (size_t i = 2; i < beats.size(); i++) {
        const double gap = beats[i] - beats[i - 1], before = beats[i - 1] - beats[i - 2];
        if (std::fabs(gap - before) > std::max(kLikeGapMs, before / 10)) {
            close(i - 1);
            first = i - 1;
        }
    }
    close(beats.size() - 1);
    return best;
}

// How hard the music strikes on the line's beats: the energy rising there.
double strength(const Heard& heard, const Line& line, double kFirst, double kLast) {
    double sum = 0;
    for (double k = kFirst; k <= kLast; k++) {
        const double h = std::floor(line.at(k) / heard.hopMs);
        float rise = 0;
        for (double at = std::max(0.0, h - 1); at <= h + 1 && at < double(heard.rises.size()); at++)
            rise = std::max(rise, heard.rises[size_t(at)]);
        sum += rise;
    }
    return sum;
}

// A tracker may follow the off-beats (bright hats between the kicks): the
// beat is where the energy rises most, half a beat on if there.
void onTheStrongerHalf(const Heard& heard, double kFirst, double kLast, Line& line) {
    Line shifted = line;
    shifted.a += line.period / 2;
    if (strength(heard, shifted, kFirst, kLast - 1) > kOffBeatShare * strength(heard, line, kFirst, kLast - 1))
        line = shifted;
}

BeatGrid fitGrid(const Heard& heard) {
    const std::vector<double>& beats = heard.beats;
    if (beats.size() < kFewestBeats) return {};
    // The evidence is the beats an onset confirms: where the music has no
    // beat of its own (a pad alone) the tracker goes on beating all the same.
    std::vector<bool> confirmed(beats.size());
    size_t evidence = 0;
    for (size_t i = 0; i < beats.size(); i++) {
        confirmed[i] = onsetNear(heard, beats[i], kOnsetReachMs) != nullptr;
        evidence += confirmed[i];
    }
    if (evidence < kFewestBeats) confirmed.assign(beats.size(), true), evidence = beats.size();

    // Beats within a quarter beat of some sound: none in the silence before,
    // after or within the music.
    auto asFound = [&](double period) {
        std::vector<double> kept;
        for (double t : beats)
            if (t >= 0 && t <= heard.lengthMs && heard.soundNear(t, period / 4)) kept.push_back(t);
        return BeatGrid::tracked(std::move(kept));
    };
    const auto [first, last] = steadiestRun(beats, confirmed);
    std::vector<Point> run;
    for (size_t i = first; i <= last; i++) run.push_back({double(i - first), beats[i]});
    Line line;
    if (run.size() < kFewestBeats / 2 || !fitLine(run, {kSteadyMs}, line))
        return asFound((beats.back() - beats.front()) / double(beats.size() - 1));

    // Steady when that stretch's tempo explains most of the evidence.
    std::vector<Point> onLine;
    size_t explained = 0;
    for (size_t i = 0; i < beats.size(); i++) {
        const double k = std::round((beats[i] - line.a) / line.period);
        if (std::fabs(beats[i] - line.at(k)) > kSteadyMs) continue;
        onLine.push_back({k, beats[i]});
        explained += confirmed[i];
    }
    if (double(explained) < kSteadyShare * double(evidence) || !fitLine(onLine, {kSteadyMs}, line))
        return asFound(line.period);
    onTheStrongerHalf(heard, onLine.front().k, onLine.back().k, line);
    alignToOnsets(heard, onLine.front().k, onLine.back().k, line);
    // The grid over all of the music that sounds, beyond where the tracker
    // settled, with its ends where the sound begins and ends.
    double kFirst = std::ceil(-line.a / line.period), kLast = std::floor((heard.lengthMs - line.a) / line.period);
    while (kFirst <= kLast && !heard.soundNear(line.at(kFirst), line.period / 4)) kFirst++;
    while (kLast >= kFirst && !heard.soundNear(line.at(kLast), line.period / 4)) kLast--;
    if (kFirst > kLast) return {};
    return BeatGrid::steady(60000.0 / line.period, line.at(kFirst), int64_t(kLast - kFirst) + 1);
}

}  // namespace

BeatGrid findBeats(const int16_t* samples, size_t frames, int channels, int rate, const std::atomic<bool>& cancel) {
    if (!samples || channels < 1 || rate < 8000) return {};
    Heard heard;
    if (!listen(samples, frames, channels, rate, cancel, heard) || heard.loudHops.size() < 2) return {};
    return fitGrid(heard);
}
