// Screenshots of the player's window as the X server shows it, and loose
// probes of what they hold: the moment of a screenshot is never exact, so
// tests look at regions and counts, not single pixels.
#pragma once

#include <functional>

#include "support/capture_run.h"  // Required for: Picture, Rgb

// Takes a picture of the window with ImageMagick's import; false when it cannot.
bool grabWindow(unsigned long window, Picture& picture);

// The mean colour of the w x h box with its top left corner at (x, y).
Rgb meanColour(const Picture& picture, int x, int y, int w, int h);

// How many pixels of the box pass the test.
int countPixels(const Picture& picture, int x, int y, int w, int h, const std::function<bool(const Rgb&)>& test);
