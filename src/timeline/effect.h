// The frame compositor.
#pragma once

class CEffect {
public:
    // Composes the frame at the current show time and presents it.
    void DrawGLScene();
    // Composes the frame without presenting it, so that it can be read back.
    void compose();
    // Draws the render size's picture into this framebuffer rectangle
    // (which may reach past the framebuffer, to crop), with line widths
    // times scale, and keeps the rest of the framebuffer black. For
    // captures at another resolution; the player never calls it, so its
    // frames fill the window at scale 1.
    void setOutputView(int x, int y, int width, int height, float scale);
};

extern CEffect effect;
