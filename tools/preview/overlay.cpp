#include "overlay.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "assets.h"
#include "audio_out.h"
#include "beat_grid.h"
#include "overlay_gl.h"
#include "reload.h"
#include "shell/init.h"  // Required for: kScriptPath
#include "show.h"

namespace {

const int kPad = 6;
const size_t kMaxLiveLines = 6;
const size_t kMaxFindings = 8;

// The statement as written on its first line, without the indent.
std::string scriptLine(const std::vector<std::string>& physical, int line) {
    if (line < 1 || size_t(line) > physical.size()) return "";
    const std::string& text = physical[size_t(line) - 1];
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos ? "" : text.substr(first, 160);
}

}  // namespace

std::string keptText() {
    const CheckedScript& latest = reloader.latest();
    const std::string plays = reloader.playing().read ? "the last good version plays" : "nothing plays";
    if (!latest.read) return latest.readError + "; " + plays + (reloader.playing().read ? "" : " until there is one");
    return std::string(kScriptPath) + " has errors; " + plays + " until they are fixed";
}

std::string clockText(int32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}

bool Overlay::open(int width, int height, std::string& error) {
    width_ = width;
    height_ = height;
    return text_.open(height, error) && small_.openAtSize(std::max(9, height / 60), error);
}

void Overlay::timelineChanged() { strip_.layOut(reloader.playing().timeline, width_, height_, small_, strip_.withBars()); }

// One line of text on a dark band; returns the y of the next line.
int Overlay::line(const std::string& text, int y, float r, float g, float b) {
    const int w = text_.width(text);
    glColor4f(0, 0, 0, 0.55f);
    fillRect(float(kPad - 3), float(y), float(kPad + w + 3), float(y + text_.lineHeight()));
    glColor4f(r, g, b, 1);
    text_.draw(text, kPad, y);
    return y + text_.lineHeight();
}

static std::string statusText(const OverlayView& view) {
    char fps[32];
    std::snprintf(fps, sizeof fps, "  %.0f fps", view.fps);
    std::string status = clockText(view.time) + "  frame " + std::to_string(gridFrameAt(view.time)) + fps;
    if (view.music.beats && !view.music.beats->empty()) status += "  bar " + view.music.beats->barBeat(view.time);
    if (view.atEnd)
        status += "  END (paused)";
    else if (view.paused)
        status += "  PAUSED";
    if (view.marks.loopOn) status += "  LOOP " + clockText(*view.marks.loopFrom) + "-" + clockText(*view.marks.loopTo);
    return status;
}

// The scenes of the frame on screen, by the line they were written on.
int Overlay::liveLines(std::optional<int32_t> t, int y) {
    const CheckedScript& playing = reloader.playing();
    std::vector<int> live;
    for (const Bar& b : playing.timeline.bars)
        if (t && b.kind != BarKind::Template && !b.vanishes && b.from <= *t && *t < b.to) live.push_back(b.line);
    std::sort(live.begin(), live.end());
    for (size_t i = 0; i < live.size() && i < kMaxLiveLines; i++)
        y = line("script.txt:" + std::to_string(live[i]) + "  " + scriptLine(playing.physical, live[i]), y, 0.8f, 0.9f, 1);
    if (live.size() > kMaxLiveLines)
        y = line("... and " + std::to_string(live.size() - kMaxLiveLines) + " more scenes", y, 0.8f, 0.9f, 1);
    return y;
}

// A line of korvane-check's, in red for an error and in yellow otherwise.
int Overlay::finding(const std::string& text, int y) {
    const bool error = text.find(": error: ") != std::string::npos;
    return line(text, y, 1, error ? 0.45f : 0.85f, error ? 0.4f : 0.3f);
}

// What is wrong with the files, errors in red and warnings in yellow.
int Overlay::problems(int y) {
    const CheckedScript& latest = reloader.latest();
    if (!latest.read || reloader.kept()) y = line(keptText(), y, 1, 0.45f, 0.4f);
    for (size_t i = 0; i < latest.findings.size() && i < kMaxFindings; i++) y = finding(latest.findings[i], y);
    if (latest.findings.size() > kMaxFindings)
        y = line("... and " + std::to_string(latest.findings.size() - kMaxFindings) + " more (korvane-check lists them)",
                 y, 1, 0.85f, 0.3f);
    for (const auto& [name, lines] : assets.problems())
        for (const std::string& text : lines) y = finding(text, y);
    if (!reloader.sizeNote().empty()) y = line(reloader.sizeNote(), y, 1, 0.85f, 0.3f);
    const std::string music = audioOut.error();
    if (!music.empty()) y = line(music, y, 1, 0.85f, 0.3f);
    return y;
}

// The statement of the bar under the pointer, just above the strip.
void Overlay::pointedLine(const OverlayView& view) {
    const Bar* bar = strip_.barAt(view.pointerX, view.pointerY);
    if (!bar) return;
    line("script.txt:" + std::to_string(bar->line) + "  " + scriptLine(reloader.playing().physical, bar->line),
         strip_.top() - text_.lineHeight() - 6, 1, 1, 1);
}

void Overlay::draw(const OverlayView& view) {
    OverlayGL gl(width_, height_);
    // A band for bar numbers once there are beats.
    const bool beats = view.music.beats && !view.music.beats->empty();
    if (beats != strip_.withBars()) strip_.layOut(reloader.playing().timeline, width_, height_, small_, beats);
    int y = line(statusText(view), kPad, 1, 1, 1);
    y = liveLines(view.sceneTime, y) + text_.lineHeight() / 2;
    if (!view.message.empty()) y = line(view.message, y, 1, 1, 0.6f);
    problems(y);
    strip_.draw(view.marks, view.music, small_);
    pointedLine(view);
    text_.endFrame();
    small_.endFrame();
}
