// The viewer: a position and three angles, applied as the inverse transform
// to the current GL matrix.
#pragma once

#include "draw/vector.h"

class CCamera {
public:
    VECTOR pos;  // viewer position
    VECTOR rot;  // degrees: about Y, then X, then Z

    void init();
    void add(VECTOR* to, VECTOR* from);
    void translate(float x, float y, float z, bool add);
    void translate(VECTOR v, bool add);
    void rotate(float a, float b, float c, bool add);
    void rotate(VECTOR v, bool add);
    void render();
};

// Reset at start-up; no statement moves it, so during a show it is the identity.
extern CCamera camera;
