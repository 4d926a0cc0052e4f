// Tiny tracker modules for the music tests: one looped square-wave sample
// and a few notes. No tool here writes XM or IT.
#pragma once

#include <string>

// A FastTracker 2 module (.xm) of about a second, as bytes.
std::string xmModule();
// An Impulse Tracker module (.it) of about a second, as bytes.
std::string itModule();

// Modules of kStepSeconds seconds that play one note a second, each higher
// than the one before: second k sounds at stepFrequency(k) Hz.
const int kStepSeconds = 5;
std::string xmSteps();
std::string itSteps();
double stepFrequency(int second);

// A module of a square-wave pulse on each of beats beats at bpm beats a
// minute (32 to 255), each cut a row (a quarter beat) later, the first after
// emptyRows rows of silence; at most 256 rows in all.
std::string xmPulses(int bpm, int emptyRows, int beats);
