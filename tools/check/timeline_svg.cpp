// Drawing the timeline as SVG: a row per track, bars in time, the end marked.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <queue>
#include <set>

#include "checks.h"  // Required for: seconds
#include "printable.h"
#include "timeline.h"
#include "timeline_style.h"

namespace {

const double kLeft = 96, kRight = 56, kTop = 84, kBottom = 44, kPlotWidth = 1040;
const double kLaneHeight = 24, kRowPad = 6;
const double kCharWidth = 6.4;  // of the 11 px labels, for cutting them to fit

// Names as printable UTF-8 (every control byte and every byte that is no
// character written out), then quoted for XML.
std::string escape(const std::string& text) {
    std::string out;
    for (char c : printable(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

// A label cut to the room it has; empty when even a few letters do not fit.
std::string fitted(const std::string& name, double width) {
    const size_t room = width > 8 ? size_t((width - 8) / kCharWidth) : 0;
    const std::string label = printable(name);
    if (room < 3 || label.empty()) return {};
    // Count UTF-8 characters, not bytes, so the arrow is one.
    std::string out;
    size_t chars = 0;
    for (size_t i = 0; i < label.size();) {
        size_t len = 1;
        const unsigned char c = static_cast<unsigned char>(label[i]);
        if (c >= 0xF0) len = 4;
        else if (c >= 0xE0) len = 3;
        else if (c >= 0xC0) len = 2;
        if (chars + 1 > room) return out + "\u2026";
        out += label.substr(i, len);
        i += len;
        chars++;
    }
    return out;
}

class Canvas {
public:
    Canvas(const Timeline& t) : t_(t) {}
    std::string draw(const std::string& title);

private:
    // The times the picture covers, which may span more than 32 bits hold.
    double span() const { return double(t_.last) - double(t_.first); }
    double x(int64_t ms) const { return kLeft + double(ms - t_.first) * kPlotWidth / span(); }
    void layOut();
    void header(const std::string& title);
    void legend(double y);
    void rows();
    void axis();
    void bar(const Bar& b, double y);
    void syncBar(const Bar& b, double y, double x0, double x1);
    void endMarker();
    void text(double x, double y, const std::string& s, const char* attributes);

    const Timeline& t_;
    std::string out_;
    std::vector<int32_t> tracks_;            // ascending: the front-most first
    std::map<int32_t, int> lanes_;           // per track
    std::map<int32_t, double> rowTop_;
    std::vector<int> barLane_;               // per bar
    std::map<int32_t, const char*> colours_; // per template track
    double height_ = 0;
};

// Bars of one track that overlap go to separate lanes.
void Canvas::layOut() {
    std::map<int32_t, std::vector<size_t>> byTrack;
    for (size_t i = 0; i < t_.bars.size(); i++) byTrack[t_.bars[i].track].push_back(i);
    barLane_.assign(t_.bars.size(), 0);
    const double minWidth = 8 * span() / kPlotWidth;
    for (auto& [track, order] : byTrack) {
        tracks_.push_back(track);
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return t_.bars[a].from < t_.bars[b].from; });
        // Each bar takes the lowest lane that is free at its start.
        std::priority_queue<std::pair<double, int>, std::vector<std::pair<double, int>>, std::greater<>> busy;  // by end
        std::set<int> free;
        int lanes = 0;
        for (size_t i : order) {
            const Bar& b = t_.bars[i];
            for (; !busy.empty() && busy.top().first <= double(b.from); busy.pop()) free.insert(busy.top().second);
            int lane = lanes;
            if (free.empty()) lanes++;
            else lane = *free.begin(), free.erase(free.begin());
            busy.push({std::max(double(b.to), double(b.from) + minWidth), lane});
            barLane_[i] = lane;
        }
        lanes_[track] = std::max(1, lanes);
    }
    double y = kTop;
    for (int32_t track : tracks_) {
        rowTop_[track] = y;
        y += lanes_[track] * kLaneHeight + 2 * kRowPad;
    }
    height_ = y + kBottom;
    size_t next = 0;
    for (const Bar& b : t_.bars)
        for (const SyncSegment& s : b.segments)
            if (!colours_.count(s.track)) colours_[s.track] = syncColour(next++);
}

void Canvas::text(double x, double y, const std::string& s, const char* attributes) {
    out_ += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" " + attributes + ">" + escape(s) + "</text>\n";
}

void Canvas::header(const std::string& title) {
    text(kLeft, 24, title, "class=\"title\"");
    size_t scenes = t_.bars.size();
    std::string summary = std::to_string(scenes) + (scenes == 1 ? " scene" : " scenes") + " on " +
                          std::to_string(tracks_.size()) + (tracks_.size() == 1 ? " track" : " tracks") + "; ";
    summary += t_.hasEnd ? "the show ends at " + seconds(t_.end) : "no end: the show runs on";
    text(kLeft, 42, summary, "class=\"sub\"");
    legend(58);
}

void Canvas::legend(double y) {
    const BarKind kinds[] = {BarKind::Image, BarKind::Model, BarKind::Tube, BarKind::Template, BarKind::Sync, BarKind::Nothing};
    double x = kLeft;
    for (BarKind kind : kinds) {
        const BarStyle s = barStyle(kind);
        out_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"14\" height=\"10\" rx=\"2\" fill=\"" + s.fill +
                "\" stroke=\"" + s.stroke + "\"" + (kind == BarKind::Template ? " stroke-dasharray=\"3 2\"" : "") + "/>\n";
        text(x + 19, y + 9, s.name, "class=\"legend\"");
        x += 30 + kCharWidth * double(std::string(s.name).size());
    }
    out_ += "<path d=\"M" + num(x + 5) + " " + num(y) + " l5 5 l-5 5 l-5 -5 z\" fill=\"#d62728\"/>\n";
    text(x + 15, y + 9, "vanishes at once", "class=\"legend\"");
}

void Canvas::rows() {
    bool shade = false;
    for (int32_t track : tracks_) {
        const double top = rowTop_[track], h = lanes_[track] * kLaneHeight + 2 * kRowPad;
        out_ += "<rect x=\"0\" y=\"" + num(top) + "\" width=\"" + num(kLeft + kPlotWidth + kRight) + "\" height=\"" +
                num(h) + "\" fill=\"" + (shade ? "#f3f4f7" : "#ffffff") + "\"/>\n";
        text(kLeft - 10, top + h / 2 + 4, "track " + std::to_string(track), "class=\"track\"");
        shade = !shade;
    }
}

// Ticks at a round step that gives about ten of them.
void Canvas::axis() {
    const double step = timeStep(span(), 12);
    const double bottom = height_ - kBottom;
    for (double ms = std::ceil(double(t_.first) / step) * step; ms <= double(t_.last); ms += step) {
        const double px = x(int64_t(ms));
        out_ += "<line x1=\"" + num(px) + "\" y1=\"" + num(kTop) + "\" x2=\"" + num(px) + "\" y2=\"" + num(bottom + 5) +
                "\" class=\"grid\"/>\n";
        text(px, bottom + 19, seconds(int64_t(ms)), "class=\"tick\"");
    }
    out_ += "<line x1=\"" + num(kLeft) + "\" y1=\"" + num(bottom) + "\" x2=\"" + num(kLeft + kPlotWidth) + "\" y2=\"" +
            num(bottom) + "\" class=\"axis\"/>\n";
    text(kLeft + kPlotWidth, bottom + 36, "show time", "class=\"caption\"");
}

void Canvas::syncBar(const Bar& b, double y, double x0, double x1) {
    for (const SyncSegment& s : b.segments) {
        const double s0 = x(s.from), s1 = std::max(x(s.to), s0 + 1);
        out_ += "<rect x=\"" + num(s0) + "\" y=\"" + num(y + 2) + "\" width=\"" + num(s1 - s0) + "\" height=\"" +
                num(kLaneHeight - 8) + "\" fill=\"" + colours_[s.track] + "\"><title>" +
                escape("track " + std::to_string(s.track) + ": " + s.label + ", " + seconds(s.from) + " to " + seconds(s.to)) +
                "</title></rect>\n";
        const std::string label = fitted(s.label, s1 - s0);
        if (!label.empty()) text(s0 + 4, y + 15, label, "class=\"seg\"");
    }
    if (b.segments.empty()) {
        const std::string label = fitted(b.label + " (no template found)", x1 - x0);
        if (!label.empty()) text(x0 + 4, y + 15, label, "class=\"dark\"");
    }
}

void Canvas::bar(const Bar& b, double y) {
    const BarStyle s = barStyle(b.kind);
    const double x0 = x(b.from), x1 = std::max(x(b.to), x0 + 2);
    const std::string tip = "line " + std::to_string(b.line) + ": " + (b.label.empty() ? "no object" : b.label) + ", " +
                            seconds(b.from) + (b.kind == BarKind::Template ? " on (template)" : " to " + seconds(b.to));
    out_ += "<g class=\"scene\" data-line=\"" + std::to_string(b.line) + "\"><title>" + escape(tip) + "</title>\n";
    if (b.vanishes) {
        out_ += "<path d=\"M" + num(x0) + " " + num(y) + " l6 " + num(kLaneHeight / 2 - 2) + " l-6 " +
                num(kLaneHeight / 2 - 2) + " l-6 -" + num(kLaneHeight / 2 - 2) + " z\" fill=\"#d62728\"/>\n</g>\n";
        return;
    }
    const char* fill = s.fill;
    if (b.kind == BarKind::Template && colours_.count(b.track)) fill = colours_[b.track];
    out_ += "<rect x=\"" + num(x0) + "\" y=\"" + num(y) + "\" width=\"" + num(x1 - x0) + "\" height=\"" +
            num(kLaneHeight - 4) + "\" rx=\"3\" fill=\"" + fill + "\"" +
            (fill != s.fill ? " fill-opacity=\"0.35\"" : "") + " stroke=\"" + s.stroke + "\"" +
            (b.kind == BarKind::Template ? " stroke-dasharray=\"4 3\"" : "") + "/>\n";
    if (b.kind == BarKind::Sync) {
        syncBar(b, y, x0, x1);
    } else {
        const bool light = b.kind == BarKind::Template;
        const std::string label = fitted(light ? "template: " + b.label : b.label, x1 - x0);
        if (!label.empty()) text(x0 + 5, y + 14, label, light ? "class=\"dark\"" : "class=\"label\"");
    }
    out_ += "</g>\n";
}

void Canvas::endMarker() {
    if (!t_.hasEnd) return;
    const double px = x(t_.end), bottom = height_ - kBottom;
    if (t_.end < t_.last)
        out_ += "<rect x=\"" + num(px) + "\" y=\"" + num(kTop) + "\" width=\"" + num(x(t_.last) - px) + "\" height=\"" +
                num(bottom - kTop) + "\" fill=\"#d62728\" fill-opacity=\"0.08\"/>\n";
    out_ += "<line x1=\"" + num(px) + "\" y1=\"" + num(kTop - 8) + "\" x2=\"" + num(px) + "\" y2=\"" + num(bottom) +
            "\" stroke=\"#d62728\" stroke-width=\"2\" stroke-dasharray=\"6 3\"/>\n";
    text(px, kTop - 12, "end " + seconds(t_.end), "class=\"end\" text-anchor=\"middle\"");
}

std::string Canvas::draw(const std::string& title) {
    layOut();
    const double width = kLeft + kPlotWidth + kRight;
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(width) + "\" height=\"" + num(height_) +
            "\" viewBox=\"0 0 " + num(width) + " " + num(height_) + "\" font-family=\"DejaVu Sans, Helvetica, Arial, sans-serif\">\n";
    out_ += "<style>"
            ".title{font-size:16px;font-weight:bold;fill:#222}.sub{font-size:12px;fill:#555}"
            ".legend{font-size:11px;fill:#333}.track{font-size:12px;fill:#333;text-anchor:end}"
            ".tick{font-size:10px;fill:#555;text-anchor:middle}.caption{font-size:10px;fill:#555;text-anchor:end}.grid{stroke:#dde;stroke-width:1}"
            ".axis{stroke:#888;stroke-width:1}.label{font-size:11px;fill:#fff}.dark{font-size:11px;fill:#444}"
            ".seg{font-size:10px;fill:#222}.end{font-size:12px;font-weight:bold;fill:#d62728}"
            "</style>\n";
    out_ += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    header(title);
    rows();
    axis();
    for (size_t i = 0; i < t_.bars.size(); i++) {
        const Bar& b = t_.bars[i];
        bar(b, rowTop_[b.track] + kRowPad + barLane_[i] * kLaneHeight + 2);
    }
    endMarker();
    out_ += "</svg>\n";
    return out_;
}

}  // namespace

std::string timelineSvg(const Timeline& timeline, const std::string& title) {
    return Canvas(timeline).draw(title);
}
