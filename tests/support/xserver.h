// A private X server for the tests that open windows.
#pragma once

// Starts an Xvfb of this test process's own (once per process) and points
// DISPLAY at it, so that windows, keyboard focus and screenshots of one test
// never meet another test's. Falls back to the DISPLAY already set when Xvfb
// is not installed, or when KORVANE_TEST_DISPLAY=shared asks for it (to watch
// the tests on a desktop). False when neither gives a display.
bool usePrivateDisplay();
