#include "progress.h"

#include <cstdio>
#include <string>

static const int kBarWidth = 24;

static std::string clock(double seconds) {
    const long s = long(seconds + 0.5);
    char text[32];
    if (s >= 3600) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

Progress::Progress(int64_t total, Mode mode)
    : total_(total), mode_(mode), start_(std::chrono::steady_clock::now()) {}

// The figures of one report: frames, show time, speed and, when the total
// is known, what is left; after a bar of it when bar is set.
static std::string line(int64_t done, int64_t total, int32_t showTime, double seconds, bool bar) {
    const double fps = seconds > 0 ? double(done) / seconds : 0;
    char text[160];
    if (total > 0) {
        const int64_t shown = done < total ? done : total;
        const int filled = int(shown * kBarWidth / total);
        const std::string drawn =
            bar ? "[" + std::string(size_t(filled), '#') + std::string(size_t(kBarWidth - filled), '-') + "] " : "";
        const std::string left = fps > 0 ? clock(double(total - shown) / fps) : "?";
        std::snprintf(text, sizeof text, "%s%lld/%lld frames  show %.1f s  %.1f fps  %s left", drawn.c_str(),
                      static_cast<long long>(done), static_cast<long long>(total), showTime / 1000.0, fps,
                      left.c_str());
    } else {
        std::snprintf(text, sizeof text, "%lld frames  show %.1f s  %.1f fps", static_cast<long long>(done),
                      showTime / 1000.0, fps);
    }
    return text;
}

void Progress::update(int64_t framesDone, int32_t showTime) {
    done_ = framesDone;
    showTime_ = showTime;
    updated_ = true;
    if (mode_ == Mode::Quiet) return;
    const auto now = std::chrono::steady_clock::now();
    if (mode_ == Mode::Bar) {
        if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
        lastDraw_ = now;
        drawn_ = true;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        std::fprintf(stderr, "\r%s\033[K", line(framesDone, total_, showTime, seconds, true).c_str());
        std::fflush(stderr);
        return;
    }
    if (now - (drawn_ ? lastDraw_ : start_) < std::chrono::seconds(kLineSeconds)) return;
    lastDraw_ = now;
    drawn_ = true;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(stderr, "korvane-capture: %s\n", line(framesDone, total_, showTime, seconds, false).c_str());
    std::fflush(stderr);
}

void Progress::finish() {
    if (mode_ == Mode::Bar) {
        if (!drawn_) return;
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        drawn_ = false;
        return;
    }
    if (mode_ != Mode::Lines || !updated_ || done_ == 0) return;
    updated_ = false;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (done_ == 1)
        std::fprintf(stderr, "korvane-capture: 1 frame written, at show time %.3f s\n", showTime_ / 1000.0);
    else
        std::fprintf(stderr, "korvane-capture: %lld frames written, show time to %.3f s, in %.1f s (%.1f fps)\n",
                     static_cast<long long>(done_), showTime_ / 1000.0, seconds, seconds > 0 ? double(done_) / seconds : 0.0);
    std::fflush(stderr);
}
