#include "timeline_style.h"

#include <iterator>

BarStyle barStyle(BarKind kind) {
    switch (kind) {
    case BarKind::Image: return {"#4e79a7", "#2f4b69", "image"};
    case BarKind::Model: return {"#59a14f", "#36632f", "model"};
    case BarKind::Tube: return {"#b07aa1", "#6e4a65", "tube"};
    case BarKind::Template: return {"#ffffff", "#7f7f7f", "sync template"};
    case BarKind::Sync: return {"#e8e8e8", "#7f7f7f", "sync scene"};
    case BarKind::Nothing: break;
    }
    return {"#bab0ac", "#7a716d", "draws nothing"};
}

// Template tracks get light colours in the order the picture meets them.
static const char* const kSyncPalette[] = {"#f28e2b", "#edc948", "#76b7b2", "#ff9da7",
                                           "#9c755f", "#e15759", "#8cd17d", "#bab0ac"};

const char* syncColour(size_t i) { return kSyncPalette[i % std::size(kSyncPalette)]; }

double timeStep(double spanMs, double mostTicks) {
    static const double steps[] = {10,   20,   50,    100,   200,   500,    1000,  2000,
                                   5000, 10000, 15000, 30000, 60000, 120000, 300000, 600000};
    for (double step : steps)
        if (spanMs / step <= mostTicks) return step;
    return steps[std::size(steps) - 1];
}
