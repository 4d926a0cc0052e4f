// Moving through a show without playing it: frame times at a fixed frame
// rate, and the playhead that fast-forwards the engine to any frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "script/script.h"

// Show time of frame k at fps frames a second: round(k * 1000 / fps), halves up.
int64_t frameTime(int64_t k, int fps);

// The first frame whose time is at or after t; 0 for t <= 0.
int64_t firstFrameAt(int64_t t, int fps);

// The position of the loaded show (script, scene list, scene1, timer) as a
// frame number at a fixed frame rate. At frame k the engine is in exactly
// the state that composing frames 0 to k - 1 leaves, and compose() draws
// frame k at frameTime(k) next.
//
// The playhead holds the script as it was loaded, before its first frame:
// the version played. A seek forward does the state work of the frames in
// between (statement intake, sync marks, erasing) and skips the frames
// where none of it happens; it draws nothing. A seek backward starts the
// held version again at frame 0 and goes forward from there; the textures
// and models stay loaded. Every seek leaves GL's 2D texture binding and
// blend factors as the frames it passed would have left them, so the show's
// GL context must be current.
//
// A statement holding "end" stops a seek or a compose at the frame that
// parses it: the engine is then as composing that frame left it (the part
// of its group before "end" parsed), ended() is true and frame() is that
// frame. To show the last frame before the end, seekFrame(frame() - 1) and
// compose().
//
// A preview plays with composeAt(show time) and presents each frame, jumps
// with seek() in either direction, and follows an edited script with
// reload(show time).
class CPlayhead {
public:
    enum class Stop {
        Reached,     // at the frame asked for
        Ended,       // "end" came first, at frame()
        Exhausted,   // untilParsed: every statement parsed, by frame() - 1
        Unreadable,  // reload(): the script could not be read; nothing changed
    };

    // Takes the script now loaded into `script` (nothing parsed yet), with
    // its assets loaded, as the version to play, and goes to its frame 0.
    // path is where reload() reads the script again; fps the frame rate of
    // frame numbers.
    void start(const std::string& path, int fps = 60);
    // Back to frame 0 of the version held: nothing parsed, the tube's record
    // empty, the camera reset, texture 0 bound and GL's first blend factors,
    // as after the start-up.
    void rewind();

    // To frame k: forwards from here, or from frame 0 when k is behind.
    // untilParsed also stops at the first frame after which every statement
    // is parsed, as a capture that only "end" can stop must.
    Stop seekFrame(int64_t k, bool untilParsed = false);
    // To the first frame at or after show time t; from frame 0 when a frame
    // at or after t has been composed already.
    Stop seek(int32_t t);
    // Reads the script again from its path and, when it reads, plays it as
    // the version held from now on, from frame 0 to show time t: the show as
    // edited, at the same place. The configuration record einit (render
    // size, window, sound) keeps the values of the start; the script's
    // options take effect at the next start of the program.
    Stop reload(int32_t t);

    // Composes frame() at its time, without presenting it, and moves on to
    // the next frame. False when the show's "end" came instead (or had come).
    bool compose();
    // Composes the frame at show time t, on the frame grid or not, as the
    // player composes at the times its clock gives; frame() is then the
    // first frame after t. A t not after the last frame composed goes back
    // first (seek(t)), so composing the same time again draws the same.
    bool composeAt(int32_t t);

    int64_t frame() const { return frame_; }
    int32_t time() const { return static_cast<int32_t>(frameTime(frame_, fps_)); }
    int fps() const { return fps_; }
    bool ended() const { return ended_; }
    // Why the script could not be read again, after Stop::Unreadable.
    const std::string& error() const { return error_; }

private:
    bool step();
    std::optional<int> bindsAt(int64_t k);
    void passQuietFrames(int64_t first, int64_t last);

    CScript version_;
    std::string path_;
    std::string error_;
    int fps_ = 60;
    int64_t frame_ = 0;
    int32_t lastTime_ = -1;  // show time of the last frame composed or passed
    bool ended_ = false;
    int bound_ = 0;  // the texture binding the frames so far leave
};

// The show's one playhead: started by the tool that loaded the show.
extern CPlayhead playhead;
