// (being written) Bezier curves.
#include "draw/bezier.h"

VECTOR PBez3D(VECTOR* p, float) { return p[0]; }
void CompBez(VECTOR*, int, VECTOR*) {}
