// A generated show that tries every way the timeline changes between
// frames: sync lists (looping, with zero-length marks, marks shorter than a
// frame, a missing template, the scene's own track), templates, statements
// out of order and due together, scenes without a span, the tube, models,
// and an image without a texture, drawn with whatever the frame before left
// bound. Four colours and a box model; "end" at 12 s.
#pragma once

#include "support/showdir.h"

void writeSyncShow(const ShowDir& show);
