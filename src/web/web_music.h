// What the web player does with the show's music beyond the music layer's
// start: play it from any show time, and stop it.
#pragma once

#include <cstdint>

// Plays the music opened by the scan from show time ms; silence when none
// was opened or the time is past its end.
void webMusicPlayFrom(int32_t ms);
void webMusicStop();
