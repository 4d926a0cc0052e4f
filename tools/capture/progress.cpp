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

Progress::Progress(int64_t total, bool enabled)
    : total_(total), enabled_(enabled), start_(std::chrono::steady_clock::now()) {}

// The line for these figures, without the carriage return.
static std::string line(int64_t done, int64_t total, int32_t showTime, double seconds) {
    const double fps = seconds > 0 ? double(done) / seconds : 0;
    char text[160];
    if (total > 0) {
        const int64_t shown = done < total ? done : total;
        const int filled = int(shown * kBarWidth / total);
        std::string bar = std::string(size_t(filled), '#') + std::string(size_t(kBarWidth - filled), '-');
        const std::string left = fps > 0 ? clock(double(total - shown) / fps) : "?";
        std::snprintf(text, sizeof text, "[%s] %lld/%lld frames  show %.1f s  %.1f fps  %s left", bar.c_str(),
                      static_cast<long long>(done), static_cast<long long>(total), showTime / 1000.0, fps,
                      left.c_str());
    } else {
        std::snprintf(text, sizeof text, "%lld frames  show %.1f s  %.1f fps", static_cast<long long>(done),
                      showTime / 1000.0, fps);
    }
    return text;
}

void Progress::update(int64_t framesDone, int32_t showTime) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    drawn_ = true;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(stderr, "\r%s\033[K", line(framesDone, total_, showTime, seconds).c_str());
    std::fflush(stderr);
}

void Progress::finish() {
    if (!drawn_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    drawn_ = false;
}
