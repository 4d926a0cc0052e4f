// The show clock: whole milliseconds of wall-clock time since start-up ended.
#pragma once

#include <cstdint>

class CTimer {
public:
    uint32_t start;   // SDL ticks when the clock started
    int32_t elapsed;  // show time, measured once per frame; 0 before the first update

    void init();      // start the clock
    void getTime();   // sleep 1 ms, then measure the show time
};

// Read by every scene of a frame; written only by getTime().
extern CTimer timer;
