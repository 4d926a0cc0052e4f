// The version of the show the preview plays, as the engine holds it: the
// script, the scene list and the clock of the engine's globals, moved to the
// times the preview asks for through the engine's playhead.
#pragma once

#include <cstdint>
#include <string>

// Frames a seek passes, as korvane-capture's default: frame k at show time
// round(k * 1000 / 60).
const int kSeekFrameRate = 60;

// The show time of frame k of the seek's frame grid, and the frame at or before t.
int32_t gridTime(int64_t k);
int64_t gridFrameAt(int32_t t);

class PreviewShow {
public:
    // Takes the script in the engine's `script`, just loaded from path by
    // CScript::init (nothing parsed), as the version to play, at time 0. A
    // seek back reads path again: it must keep this version's text.
    void take(const std::string& path);

    // Brings the show to time t without showing it, as if every frame of the
    // seek's grid before t had been composed. False when the show reached its
    // "end" on the way, or its script could not be read again.
    bool seek(int32_t t);
    // Composes the frame at t (not before the last one composed) into the back
    // buffer. False when the show reaches its "end" instead: nothing is drawn
    // then, and nothing more is composed until a seek goes back.
    bool compose(int32_t t);

    // The engine's state is no longer the playhead's (another script was
    // loaded into it, or textures changed): the next seek starts from 0.
    void rewind() { apart_ = true; }

    // The time of the last frame composed, or -1 before the first.
    int32_t composedTo() const { return composedTo_; }

private:
    bool taken_ = false;
    bool ended_ = false;
    bool apart_ = false;  // frames were composed where the playhead does not know
    int32_t composedTo_ = -1;
};

// The one show the preview plays; the engine's globals hold its state.
extern PreviewShow show;
