// The version of the show the preview plays, as the engine holds it: the
// script, the scene list and the clock of the engine's globals, moved to the
// times the preview asks for.
#pragma once

#include <cstdint>

#include "script/script.h"

// Frames a seek composes, as korvane-capture's default: frame k at show
// time round(k * 1000 / 60).
const int kSeekFrameRate = 60;

// The show time of frame k of the seek's frame grid, and the frame at or before t.
int32_t gridTime(int64_t k);
int64_t gridFrameAt(int32_t t);

class PreviewShow {
public:
    // Takes the script in the engine's `script` (just loaded by CScript::init,
    // nothing parsed) as the version to play, and starts it again at 0.
    void take();

    // Brings the show to time t without showing it, as if every frame of the
    // seek's grid before t had been composed. False when the show reached its
    // "end" on the way.
    bool seek(int32_t t);
    // Composes the frame at t (not before the last one composed) into the back
    // buffer. False when the show reaches its "end" instead: nothing is drawn
    // then, and nothing more is composed until a seek goes back.
    bool compose(int32_t t);

    // Back to time 0 of the version held, as after the player's start-up.
    void rewind();

    // The time of the last frame composed, or -1 before the first.
    int32_t composedTo() const { return composedTo_; }

private:
    CScript version_;         // the script as loaded, before its first frame; empty: black
    bool ended_ = false;
    int32_t composedTo_ = -1;
};

// The one show the preview plays; the engine's globals hold its state.
extern PreviewShow show;
