// (being written) the tube.
#include "draw/rm_evil_bezier.h"

CBezier scene1;

void CBezier::Bezier() {}
