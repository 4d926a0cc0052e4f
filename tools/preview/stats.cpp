#include "stats.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <sys/time.h>

#include <algorithm>
#include <cstdio>

using Clock = std::chrono::steady_clock;

static long long wallClockMs() {
    timeval now;
    gettimeofday(&now, nullptr);
    return (long long)now.tv_sec * 1000 + now.tv_usec / 1000;
}

void PreviewStats::finish() const {
    if (on) glFinish();
}

double PreviewStats::since(Clock::time_point start) const {
    finish();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void PreviewStats::add(Sum& sum, double ms) const {
    sum.ms += ms;
    sum.frames++;
}

void PreviewStats::started(double loadMs) const {
    if (on) std::fprintf(stderr, "korvane-preview: start: data/ loaded and checked in %.1f ms\n", loadMs);
}

void PreviewStats::reloaded(uint32_t firstEvent, double applyMs) {
    reloadShown_ = false;
    firstEvent_ = firstEvent;
    applyMs_ = applyMs;
    applied_ = Clock::now();
}

// The wall-clock time lets a script that made the change measure from its write.
void PreviewStats::presented() {
    if (!on || reloadShown_) return;
    reloadShown_ = true;
    std::fprintf(stderr,
                 "korvane-preview: reload: %u ms from the first change to the new frame on screen "
                 "(checks and loads %.1f ms, seek and frame %.1f ms); on screen at %lld ms\n",
                 SDL_GetTicks() - firstEvent_, applyMs_, since(applied_), wallClockMs());
}

void PreviewStats::paced(bool findingBeats) {
    if (!on) return;
    const auto now = Clock::now();
    if (framed_) {
        const double ms = std::chrono::duration<double, std::milli>(now - lastFrame_).count();
        Pace& pace = findingBeats ? finding_ : found_;
        pace.frames++;
        pace.ms += ms;
        pace.longest = std::max(pace.longest, ms);
    }
    framed_ = true;
    lastFrame_ = now;
}

void PreviewStats::beatsFound(double tookMs, double processorMs, double lengthMs) const {
    if (!on || lengthMs <= 0) return;
    std::fprintf(stderr,
                 "korvane-preview: beats: found in %.0f ms for %.1f s of music (%.2f %% of its length), "
                 "%.0f ms of processor time (%.2f %%)\n",
                 tookMs, lengthMs / 1000.0, 100.0 * tookMs / lengthMs, processorMs, 100.0 * processorMs / lengthMs);
}

void PreviewStats::printPace(const char* when, const Pace& pace) const {
    if (pace.frames == 0) return;
    const double apart = pace.ms / double(pace.frames);
    std::fprintf(stderr, "korvane-preview: frames %s: %lld, %.2f ms apart on average (%.1f a second), at most %.1f ms\n",
                 when, pace.frames, apart, apart > 0 ? 1000.0 / apart : 0.0, pace.longest);
}

void PreviewStats::print(int width, int height) const {
    if (!on) return;
    printPace("while the beats were being found", finding_);
    printPace("at other times", found_);
    std::fprintf(stderr,
                 "korvane-preview: at %dx%d: overlay %.3f ms a frame over %lld frames; keeping a composed "
                 "frame %.3f ms a frame over %lld frames; composing the show %.3f ms a frame over %lld frames\n",
                 width, height, overlay_.perFrame(), overlay_.frames, keep_.perFrame(), keep_.frames,
                 compose_.perFrame(), compose_.frames);
}
