// The frame compositor.
#pragma once

class CEffect {
public:
    // Composes the frame at the current show time and presents it.
    void DrawGLScene();
    // Composes the frame without presenting it, so that it can be read back.
    void compose();
    // The state work of compose() alone: statement intake, sync marks and
    // erasing at the current show time, with no GL call.
    void advance();
    // The 2D texture binding that drawing the scene list, as compose() leaves
    // it, at the current show time leaves, when bound was the binding before.
    // It is the one piece of GL state that a frame hands on to the next: an
    // image without a texture of its own is drawn with it.
    int textureLeftBound(int bound);
};

extern CEffect effect;
