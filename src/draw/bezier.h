// Cubic Bezier curve evaluation.
#pragma once

#include "draw/vector.h"

// Point at parameter t of the cubic curve with control points p[0]..p[3].
VECTOR PBez3D(VECTOR* p, float t);

// count points of that curve into out, at evenly spaced parameters from 0 to 1.
void CompBez(VECTOR* p, int count, VECTOR* out);
