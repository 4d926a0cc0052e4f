// (being written) model drawing.
#include "draw/show3ds.h"

void Show3DS(int, int) {}
