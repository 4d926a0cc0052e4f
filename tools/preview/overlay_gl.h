// Drawing over the show's frame without changing what the show's next
// frame starts from: every attribute, both matrices and the client state
// are saved before and put back after.
#pragma once

class OverlayGL {
public:
    // Pixel units with the origin at the top left of a width x height window;
    // texturing and alpha blending on, depth test, lighting, texture
    // generation and line smoothing off.
    OverlayGL(int width, int height);
    ~OverlayGL();
    OverlayGL(const OverlayGL&) = delete;
    OverlayGL& operator=(const OverlayGL&) = delete;
};

// Filled rectangle in the current colour, untextured.
void fillRect(float x0, float y0, float x1, float y1);
// "#rrggbb" as the current colour with the given opacity.
void setColour(const char* hex, float alpha);
