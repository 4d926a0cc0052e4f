// The tube: 500 twisted Bezier curves drawn from the scene record scene1.
#pragma once

#include "timeline/scene.h"

class CBezier : public CScene {
public:
    void Bezier();
};

// Holds the most recently parsed "scene 1" statement; the parser fills it.
extern CBezier scene1;
