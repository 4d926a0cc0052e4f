// The show's last composed frame, without the overlay, kept as a texture:
// drawn again while the preview holds still, and what S writes.
#pragma once

#include "frame.h"

class HeldFrame {
public:
    // A texture of the render size; call with the GL context current.
    void create(int width, int height);
    // Copies the back buffer, as the show just composed it.
    void take();
    // Draws it over the whole back buffer.
    void show();
    // Its pixels, bottom row first.
    void read(Frame& frame);

private:
    unsigned texture_ = 0;
    int width_ = 0, height_ = 0;
};
