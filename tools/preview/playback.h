// The preview's clock: where the playhead is, whether it moves, and the loop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class Playback {
public:
    // The playhead at t, moving unless paused. ticks: SDL milliseconds.
    void start(int32_t t, bool paused, uint32_t ticks);
    // Show time at the given ticks.
    int32_t now(uint32_t ticks) const;
    bool paused() const { return paused_; }
    // Paused at the show's "end".
    bool atEnd() const { return atEnd_; }

    // Holds still at t, the time of the frame on screen.
    void pause(int32_t t);
    // Moves on from where it holds; from 0 when it holds at the end.
    void resume(uint32_t ticks);
    // Puts the playhead at t, moving or not as before.
    void jump(int32_t t, uint32_t ticks);
    // The show reached its "end" at t: it holds there.
    void reachEnd(int32_t t);

    std::optional<int32_t> loopFrom, loopTo;
    bool loopOn = false;
    // Turns the loop on or off; a message when it cannot be turned on.
    std::string toggleLoop();
    bool loopValid() const { return loopFrom && loopTo && *loopFrom < *loopTo; }

private:
    int32_t held_ = 0;     // show time at `since`, or where it holds
    uint32_t since_ = 0;   // ticks when it last started moving
    bool paused_ = false;
    bool atEnd_ = false;
};
