#include "stats.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <sys/time.h>

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

void PreviewStats::print(int width, int height) const {
    if (!on) return;
    std::fprintf(stderr,
                 "korvane-preview: at %dx%d: overlay %.3f ms a frame over %lld frames; keeping a composed "
                 "frame %.3f ms a frame over %lld frames; composing the show %.3f ms a frame over %lld frames\n",
                 width, height, overlay_.perFrame(), overlay_.frames, keep_.perFrame(), keep_.frames,
                 compose_.perFrame(), compose_.frames);
}
