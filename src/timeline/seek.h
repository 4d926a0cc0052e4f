// Moving through a show without playing it: frame times at a fixed frame
// rate, and the playhead that fast-forwards the engine to any frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Show time of frame k at fps frames a second: round(k * 1000 / fps), halves up.
int64_t frameTime(int64_t k, int fps);

// The first frame whose time is at or after t; 0 for t <= 0.
int64_t firstFrameAt(int64_t t, int fps);

// The position of the loaded show (script, scene list, scene1, timer) as a
// frame number at a fixed frame rate. At frame k the engine is in exactly
// the state that composing frames 0 to k - 1 leaves, and the next compose
// draws frame k at frameTime(k).
//
// A seek forward does the state work of the frames in between (statement
// intake, sync marks, erasing) and skips the frames where none of it
// happens; it draws nothing. A seek backward reads the script again from
// its path and forwards from frame 0; the textures and models stay loaded.
// Every seek leaves GL's 2D texture binding as the frames it passed would
// have left it, so it needs the show's GL context current.
//
// A statement holding "end" stops a seek or a compose at the frame that
// parses it: the engine is then as composing that frame left it (the part
// of its group before "end" parsed), ended() is true and frame() is that
// frame. To show the last frame before the end, seekFrame(frame() - 1) and
// compose().
//
// A preview plays with compose() (one frame, then present it), jumps with
// seek() or seekFrame() in either direction, and follows an edited script
// with reload(time()).
class CPlayhead {
public:
    enum class Stop {
        Reached,     // at the frame asked for
        Ended,       // "end" came first, at frame()
        Exhausted,   // untilParsed: every statement parsed, by frame() - 1
        Unreadable,  // the script could not be read again; nothing changed
    };

    // Takes the show as loaded into script with its assets (nothing parsed
    // yet) at frame 0. path is where reload() and seeks backward read the
    // script again, fps the frame rate of frame numbers.
    void start(const std::string& path, int fps = 60);

    // To frame k, forwards or (reloading) backwards. untilParsed also stops
    // at the first frame after which every statement is parsed, as a
    // capture that only "end" can stop must.
    Stop seekFrame(int64_t k, bool untilParsed = false);
    // To the first frame at or after show time t.
    Stop seek(int32_t t);
    // Reads the script again from its path and seeks to t from frame 0: the
    // show as edited, at the same place. The configuration record einit
    // (render size, window, sound) keeps the values of the start: the
    // script's options take effect at the next start of the program.
    Stop reload(int32_t t);

    // Composes frame() at its time, without presenting it, and moves on to
    // the next frame. False when the show's "end" came instead (or had come).
    bool compose();

    int64_t frame() const { return frame_; }
    int32_t time() const { return static_cast<int32_t>(frameTime(frame_, fps_)); }
    int fps() const { return fps_; }
    bool ended() const { return ended_; }
    // Why the script could not be read again, after Stop::Unreadable.
    const std::string& error() const { return error_; }

private:
    bool rewind();
    bool step();
    std::optional<int> bindsAt(int64_t k);
    void passQuietFrames(int64_t first, int64_t last);

    std::string path_;
    std::string error_;
    int fps_ = 60;
    int64_t frame_ = 0;
    bool ended_ = false;
    int bound_ = 0;       // the texture binding the frames so far leave
    int loadBound_ = 0;   // the one at frame 0, as the asset load left it
};

// The show's one playhead: started by the tool that loaded the show.
extern CPlayhead playhead;
