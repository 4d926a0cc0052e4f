// korvane-preview's window as its tests read it: the show time in its
// title, the solid colours of the test pictures, and waiting.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "support/capture_run.h"  // Required for: Picture, Rgb

// The window the tests open (--size), and the environment that keeps the
// preview off the sound card.
const int kWidth = 320, kHeight = 240;
const char* const kSize = "320x240";
const std::vector<std::string> kQuiet = {"SDL_AUDIODRIVER=dummy"};

void sleepMs(int ms);
double msSince(std::chrono::steady_clock::time_point start);

// The show time in a title "Korvane preview M:SS.mmm state", or -1.
int titleTime(const std::string& title);

// The colours of red.jpg, green.jpg and blue.jpg (writeThreeColours) on screen.
bool red(const Rgb& p);
bool green(const Rgb& p);
bool blue(const Rgb& p);

// Solid red.jpg, green.jpg and blue.jpg of width x height in dir.
void writeThreeColours(const std::string& dir, int width, int height);

// The colour of the middle of the window, below the overlay's text and
// above its strip.
Rgb middle(const Picture& p);
