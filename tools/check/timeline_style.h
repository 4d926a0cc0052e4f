// The colours of the timeline's bars, shared by every picture of it.
#pragma once

#include <cstddef>

#include "timeline.h"

struct BarStyle {
    const char* fill;    // "#rrggbb"
    const char* stroke;
    const char* name;    // for a legend
};

BarStyle barStyle(BarKind kind);

// The colour of the i-th template track a picture meets in its sync segments.
const char* syncColour(size_t i);

// The step of a time scale over spanMs: the smallest round step (from 10 ms
// to 10 minutes) that gives at most mostTicks ticks.
double timeStep(double spanMs, double mostTicks);
