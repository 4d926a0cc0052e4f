// Tiny tracker modules for the music tests: one looped square-wave sample
// and a few notes, about a second long. No tool here writes XM or IT.
#pragma once

#include <string>

// A FastTracker 2 module (.xm), as bytes.
std::string xmModule();
// An Impulse Tracker module (.it), as bytes.
std::string itModule();
