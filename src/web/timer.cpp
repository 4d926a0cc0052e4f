// The show clock in the page: milliseconds of the page's clock since the
// clock started. The browser paces the frames (one a display refresh), so
// the frame does not sleep.
#include "shell/timer.h"

#include <emscripten.h>

CTimer timer;

static uint32_t now() { return static_cast<uint32_t>(emscripten_get_now()); }

void CTimer::init() { start = now(); }

void CTimer::getTime() { elapsed = static_cast<int32_t>(now() - start); }
