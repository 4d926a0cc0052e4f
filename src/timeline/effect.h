// The frame compositor.
#pragma once

class CEffect {
public:
    // Composes the frame at the current show time and presents it.
    void DrawGLScene();
    // Composes the frame without presenting it, so that it can be read back.
    void compose();
};

extern CEffect effect;
