// The frame compositor.
#pragma once

#include <optional>

class CEffect {
public:
    // Composes the frame at the current show time and presents it.
    void DrawGLScene();
    // Composes the frame without presenting it, so that it can be read back.
    void compose();
    // The state work of compose() alone: statement intake, sync marks and
    // erasing at the current show time, with no GL call.
    void advance();
    // The 2D texture that drawing the scene list as compose() leaves it, at
    // the current show time, binds last; nothing when it binds none. A frame
    // hands it on to the next: an image without a texture of its own is
    // drawn with it.
    std::optional<int> lastTextureBound();
    // Sends GL the blend factors that drawing the scene list as compose()
    // leaves it sets and keeps, in drawing order, without drawing: a frame
    // hands them on to the next, and a scene that blends with factors GL
    // rejects (GL keeps the ones it had) draws with them.
    void sendBlendFactors();
    // Draws the render size's picture into this framebuffer rectangle
    // (which may reach past the framebuffer, to crop), with line widths
    // times scale, and keeps the rest of the framebuffer black. For
    // captures at another resolution; the player never calls it, so its
    // frames fill the window at scale 1.
    void setOutputView(int x, int y, int width, int height, float scale);
};

extern CEffect effect;
