#include "strip.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "beat_grid.h"
#include "checks.h"  // Required for: seconds, the checker's own time labels
#include "overlay_gl.h"
#include "text.h"
#include "timeline_style.h"

namespace {

const int kMargin = 8;
const int kGap = 2;
const int kTickReach = 3;       // the time scale's ticks, over its labels
const double kQuietDb = -48;    // the loudness shown runs from here to full scale
const int kFewestTickPixels = 4;

}  // namespace

void TimelineStrip::layOut(const Timeline& timeline, int windowWidth, int windowHeight, OverlayText& labels,
                           bool withBars) {
    timeline_ = &timeline;
    withBars_ = withBars;
    tracks_.clear();
    for (const Bar& b : timeline.bars) tracks_.push_back(b.track);
    std::sort(tracks_.begin(), tracks_.end());
    tracks_.erase(std::unique(tracks_.begin(), tracks_.end()), tracks_.end());
    rowOfBar_.clear();
    for (const Bar& b : timeline.bars)
        rowOfBar_.push_back(int(std::lower_bound(tracks_.begin(), tracks_.end(), b.track) - tracks_.begin()));
    // Template tracks take the checker's colours in the order they are met,
    // in their segments and in their own rows.
    std::map<int32_t, const char*> colours;
    segmentColours_.clear();
    for (const Bar& b : timeline.bars)
        for (const SyncSegment& s : b.segments) {
            const char*& colour = colours[s.track];
            if (!colour) colour = syncColour(colours.size() - 1);
            segmentColours_.push_back(colour);
        }
    barColours_.clear();
    for (const Bar& b : timeline.bars) {
        const auto templ = colours.find(b.track);
        barColours_.push_back(b.kind == BarKind::Template && templ != colours.end() ? templ->second
                                                                                    : barStyle(b.kind).fill);
    }

    labelHeight_ = labels.ready() ? labels.lineHeight() : 0;
    int gutter = 0;
    for (int32_t track : tracks_) gutter = std::max(gutter, labels.width(std::to_string(track)));
    left_ = kMargin + (gutter > 0 ? gutter + 4 : 0);
    right_ = std::max(left_ + 1, windowWidth - kMargin);
    // Rows of up to a label's height, about a sixth of the window in all,
    // never more than a quarter of it.
    const int rows = std::max<int>(1, int(tracks_.size()));
    const int rowPixels = std::clamp(windowHeight / 6 / rows, 2, std::max(7, labelHeight_));
    const int rowsHeight = std::max(1, std::min(rows * rowPixels, windowHeight / 4));
    bottom_ = windowHeight - kMargin;
    rowsBottom_ = bottom_ - labelHeight_ - kTickReach - kGap;
    rowsTop_ = rowsBottom_ - rowsHeight;
    rowHeight_ = float(rowsHeight) / float(rows);
    top_ = rowsTop_ - (withBars ? labelHeight_ + kGap : 0);
    columnsOf_ = 0;
}

float TimelineStrip::x(int64_t ms) const {
    const int64_t first = timeline_->first, last = timeline_->last;
    const int64_t clamped = std::clamp(ms, first, last);
    return float(left_) + float(clamped - first) * float(right_ - left_) / float(last - first);
}

double TimelineStrip::msAt(double px) const {
    return double(timeline_->first) +
           (px - left_) * (double(timeline_->last) - double(timeline_->first)) / double(right_ - left_);
}

// The peak of the music over each pixel's time, on a scale of decibels.
void TimelineStrip::drawLoudness(const StripMusic& music) {
    if (!music.loudness || music.loudness->empty() || music.loudnessMs <= 0) return;
    const std::vector<float>& peaks = *music.loudness;
    if (columnsOf_ != music.serial) {
        columnsOf_ = music.serial;
        columns_.assign(size_t(right_ - left_), 0.0f);
        for (size_t c = 0; c < columns_.size(); c++) {
            const double b0 = std::max(0.0, std::floor(msAt(double(left_) + double(c)) / music.loudnessMs));
            const double b1 = std::min(double(peaks.size()), std::ceil(msAt(double(left_) + double(c) + 1) / music.loudnessMs));
            float peak = 0;
            for (double b = b0; b < b1; b++) peak = std::max(peak, peaks[size_t(b)]);
            columns_[c] = peak > 0 ? float(std::clamp(1.0 - 20.0 * std::log10(double(peak)) / kQuietDb, 0.0, 1.0)) : 0.0f;
        }
    }
    const float height = float(rowsBottom_ - rowsTop_);
    glColor4f(0.45f, 0.55f, 0.7f, 0.55f);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    for (size_t c = 0; c < columns_.size(); c++) {
        if (columns_[c] <= 0) continue;
        const float x0 = float(left_) + float(c), y0 = float(rowsBottom_) - height * columns_[c];
        glVertex2f(x0, y0);
        glVertex2f(x0 + 1, y0);
        glVertex2f(x0 + 1, float(rowsBottom_));
        glVertex2f(x0, float(rowsBottom_));
    }
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

// A tick on each beat, brighter on the first of a bar; only bars (or every
// fourth bar...) where beats would crowd. Bar numbers above, where they fit.
void TimelineStrip::drawBeats(const BeatGrid& beats, OverlayText& labels) {
    const double span = double(timeline_->last) - double(timeline_->first);
    const double beatPixels = beats.period() * double(right_ - left_) / span;
    int64_t every = 1;
    while (beatPixels * double(every) < kFewestTickPixels && every < (int64_t(1) << 40)) every *= 4;
    float labelEnd = -1e9f;
    for (const Beat& beat : beats.between(double(timeline_->first), double(timeline_->last), every)) {
        const float px = x(std::llround(beat.ms));
        const bool barStart = beat.count % 4 == 0;
        if (barStart)
            glColor4f(1, 1, 1, 0.85f);
        else
            glColor4f(0.85f, 0.85f, 0.85f, 0.45f);
        fillRect(px, float(rowsTop_ - (barStart ? kGap + 1 : 0)), px + 1, float(rowsBottom_));
        if (!barStart || !withBars_ || !labels.ready()) continue;
        const std::string number = std::to_string(beat.count / 4 + 1);
        const int width = labels.width(number);
        const float at = std::clamp(px - float(width) / 2, float(left_), float(right_ - width));
        if (at < labelEnd + 4) continue;
        labels.draw(number, int(at), top_);
        labelEnd = at + float(width);
    }
}

// Round times under the rows, as korvane-check's picture labels them.
void TimelineStrip::drawScale(OverlayText& labels) {
    const double first = timeline_->first, last = timeline_->last;
    const int labelWidth = labels.ready() ? labels.width(seconds(int64_t(last))) + 8 : 40;
    const double step = timeStep(last - first, std::clamp(double(right_ - left_) / labelWidth, 1.0, 12.0));
    const float y = float(rowsBottom_ + kGap);
    float labelEnd = -1e9f;
    glColor4f(1, 1, 1, 0.7f);
    for (double ms = std::ceil(first / step) * step; ms <= last; ms += step) {
        const float px = x(int64_t(ms));
        fillRect(px, y, px + 1, y + float(kTickReach));
        if (!labels.ready()) continue;
        const std::string text = seconds(int64_t(ms));
        const int width = labels.width(text);
        const float at = std::clamp(px - float(width) / 2, float(left_), float(right_ - width));
        if (at < labelEnd + 4) continue;
        labels.draw(text, int(at), int(y) + kTickReach);
        labelEnd = at + float(width);
    }
}

// Each row's track in the margin, where the labels do not run into each other.
void TimelineStrip::drawLabels(OverlayText& labels) {
    if (!labels.ready()) return;
    glColor4f(0.85f, 0.85f, 0.85f, 1);
    float freeFrom = -1e9f;
    for (size_t row = 0; row < tracks_.size(); row++) {
        const float y = float(rowsTop_) + (float(row) + 0.5f) * rowHeight_ - float(labelHeight_) / 2;
        if (y < freeFrom) continue;
        const std::string text = std::to_string(tracks_[row]);
        labels.draw(text, left_ - 4 - labels.width(text), int(y));
        freeFrom = y + float(labelHeight_);
    }
}

void TimelineStrip::draw(const StripMarks& marks, const StripMusic& music, OverlayText& labels) {
    if (!timeline_ || timeline_->last <= timeline_->first) return;  // no script yet
    glColor4f(0, 0, 0, 0.6f);
    fillRect(float(kMargin - 2), float(top_ - 2), float(right_ + 2), float(bottom_ + 2));
    if (marks.loopFrom && marks.loopTo && *marks.loopFrom < *marks.loopTo) {
        glColor4f(1.0f, 0.85f, 0.2f, marks.loopOn ? 0.35f : 0.12f);
        fillRect(x(*marks.loopFrom), float(rowsTop_), x(*marks.loopTo), float(rowsBottom_));
    }
    drawLoudness(music);
    size_t segment = 0;
    for (size_t i = 0; i < timeline_->bars.size(); i++) {
        const Bar& b = timeline_->bars[i];
        if (b.vanishes) {
            segment += b.segments.size();
            continue;
        }
        const float y0 = float(rowsTop_) + float(rowOfBar_[i]) * rowHeight_, y1 = y0 + std::max(1.0f, rowHeight_ - 1);
        const float x0 = x(b.from), x1 = std::max(x(b.to), x0 + 1.0f);
        setColour(barColours_[i], b.kind == BarKind::Template ? 0.6f : 0.9f);
        fillRect(x0, y0, x1, y1);
        for (const SyncSegment& s : b.segments) {
            setColour(segmentColours_[segment++], 0.9f);
            fillRect(x(s.from), y0, std::max(x(s.to), x(s.from) + 1.0f), y1);
        }
    }
    if (music.beats && !music.beats->empty()) drawBeats(*music.beats, labels);
    drawScale(labels);
    drawLabels(labels);
    // The loop's ends, then the end of the show, then the playhead on top.
    glColor4f(1.0f, 0.85f, 0.2f, 1.0f);
    if (marks.loopFrom) fillRect(x(*marks.loopFrom) - 1, float(top_ - 2), x(*marks.loopFrom) + 1, float(bottom_ + 2));
    if (marks.loopTo) fillRect(x(*marks.loopTo) - 1, float(top_ - 2), x(*marks.loopTo) + 1, float(bottom_ + 2));
    if (timeline_->hasEnd) {
        glColor4f(0.9f, 0.2f, 0.2f, 1.0f);
        fillRect(x(timeline_->end) - 1, float(top_ - 2), x(timeline_->end) + 1, float(bottom_ + 2));
    }
    glColor4f(1, 1, 1, 1);
    fillRect(x(marks.playhead) - 1, float(top_ - 4), x(marks.playhead) + 1, float(bottom_ + 2));
}

std::optional<int32_t> TimelineStrip::timeAt(int px, int py) const {
    if (!timeline_ || timeline_->last <= timeline_->first || py < top_ - 4 || py > bottom_ + 2 || px < kMargin - 2 ||
        px > right_ + 2)
        return std::nullopt;
    const double t = msAt(double(std::clamp(px, left_, right_)));
    return int32_t(std::clamp(std::floor(t), 0.0, double(timeline_->last)));
}

std::optional<int32_t> TimelineStrip::timeAlong(int px) const {
    return timeAt(std::clamp(px, left_, right_), rowsTop_);
}

const Bar* TimelineStrip::barAt(int px, int py) const {
    if (!timeline_ || timeline_->last <= timeline_->first || py < rowsTop_ || py >= rowsBottom_ || px < left_ ||
        px >= right_)
        return nullptr;
    const int row = int(float(py - rowsTop_) / rowHeight_);
    const float at = float(px) + 0.5f;
    const Bar* found = nullptr;  // the last drawn is on top
    for (size_t i = 0; i < timeline_->bars.size(); i++) {
        const Bar& b = timeline_->bars[i];
        if (b.vanishes || rowOfBar_[i] != row) continue;
        const float x0 = x(b.from), x1 = std::max(x(b.to), x0 + 1.0f);
        if (x0 <= at && at < x1) found = &b;
    }
    return found;
}
