// Where the picture of a show's render size goes in a frame of another
// resolution: scaled to fit between bars, or to fill the frame and cropped.
#pragma once

struct Framing {
    int x = 0, y = 0;           // the picture's bottom left corner in the frame, GL's origin
    int width = 0, height = 0;  // the scaled picture; past the frame's sides when cropped
    float scale = 1.0f;         // frame pixels per render-size pixel
};

// The picture of renderW x renderH scaled by one factor for both axes and
// centred in frameW x frameH: the largest that fits, or with fill the
// smallest that covers the frame.
Framing frameLayout(int renderW, int renderH, int frameW, int frameH, bool fill);
