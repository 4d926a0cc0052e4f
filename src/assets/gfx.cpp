#include "assets/gfx.h"

GFX gfx;
