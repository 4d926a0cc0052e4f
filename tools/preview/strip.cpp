#include "strip.h"

#include <GL/gl.h>

#include <algorithm>
#include <map>

#include "overlay_gl.h"
#include "timeline_style.h"

static const int kMargin = 8;

void TimelineStrip::layOut(const Timeline& timeline, int windowWidth, int windowHeight) {
    timeline_ = &timeline;
    tracks_.clear();
    for (const Bar& b : timeline.bars) tracks_.push_back(b.track);
    std::sort(tracks_.begin(), tracks_.end());
    tracks_.erase(std::unique(tracks_.begin(), tracks_.end()), tracks_.end());
    rowOfBar_.clear();
    for (const Bar& b : timeline.bars)
        rowOfBar_.push_back(int(std::lower_bound(tracks_.begin(), tracks_.end(), b.track) - tracks_.begin()));
    // Template tracks take the checker's colours in the order they are met.
    std::map<int32_t, const char*> colours;
    segmentColours_.clear();
    for (const Bar& b : timeline.bars)
        for (const SyncSegment& s : b.segments) {
            const char*& colour = colours[s.track];
            if (!colour) colour = syncColour(colours.size() - 1);
            segmentColours_.push_back(colour);
        }
    // About a sixth of the window at most, rows of 2 to 7 pixels.
    const int rows = std::max<int>(1, int(tracks_.size()));
    rowHeight_ = std::clamp(windowHeight / 6 / rows, 2, 7);
    left_ = kMargin;
    right_ = std::max(left_ + 1, windowWidth - kMargin);
    bottom_ = windowHeight - kMargin;
    top_ = bottom_ - rows * rowHeight_ - 4;
}

float TimelineStrip::x(int64_t ms) const {
    const int64_t first = timeline_->first, last = timeline_->last;
    const int64_t clamped = std::clamp(ms, first, last);
    return float(left_) + float(clamped - first) * float(right_ - left_) / float(last - first);
}

void TimelineStrip::draw(const StripMarks& marks) const {
    if (!timeline_ || timeline_->last <= timeline_->first) return;  // no script yet
    glColor4f(0, 0, 0, 0.6f);
    fillRect(float(left_ - 2), float(top_ - 2), float(right_ + 2), float(bottom_ + 2));
    if (marks.loopFrom && marks.loopTo && *marks.loopFrom < *marks.loopTo) {
        glColor4f(1.0f, 0.85f, 0.2f, marks.loopOn ? 0.35f : 0.12f);
        fillRect(x(*marks.loopFrom), float(top_), x(*marks.loopTo), float(bottom_));
    }
    size_t segment = 0;
    for (size_t i = 0; i < timeline_->bars.size(); i++) {
        const Bar& b = timeline_->bars[i];
        if (b.vanishes) {
            segment += b.segments.size();
            continue;
        }
        const float y0 = float(top_ + 2 + rowOfBar_[i] * rowHeight_), y1 = y0 + float(rowHeight_ - 1);
        const float x0 = x(b.from), x1 = std::max(x(b.to), x0 + 1.0f);
        setColour(barStyle(b.kind).fill, 0.9f);
        fillRect(x0, y0, x1, y1);
        for (const SyncSegment& s : b.segments) {
            setColour(segmentColours_[segment++], 0.9f);
            fillRect(x(s.from), y0, std::max(x(s.to), x(s.from) + 1.0f), y1);
        }
    }
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
    if (!timeline_ || timeline_->last <= timeline_->first || py < top_ - 4 || py > bottom_ + 2 || px < left_ - 2 || px > right_ + 2) return std::nullopt;
    const int64_t first = timeline_->first, last = timeline_->last;
    const int64_t t = first + (int64_t(std::clamp(px, left_, right_)) - left_) * (last - first) / (right_ - left_);
    return int32_t(std::max<int64_t>(0, t));
}
