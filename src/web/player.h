// The web player: the show in a page, played from a click, paused, moved
// and ended from the keyboard and the page's buttons. The page calls the
// functions exported from main.cpp; the keyboard (input.cpp) calls these.
#pragma once

#include <cstdint>

// Starts playing, music and clock together, from the frame shown; after
// the end, from the start again.
void webPlay();
// Pauses, or plays on from where it paused.
void webTogglePause();
// Moves the show by ms (negative: back), playing or not.
void webSeekBy(int32_t ms);
// Ends the show: the music stops and the page shows its end screen.
void webStop();

// What ends a show on the web, where the page stays: the show's "end" or
// Escape (status 0), or a failure at start-up that the page has been told
// of (status 1). Thrown by CMain, caught by the functions the page calls.
struct ShowStopped {
    int status;
};
