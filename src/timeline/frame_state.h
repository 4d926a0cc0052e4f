// What a frame changes in the show apart from its picture: statement intake,
// sync marks and erasing. The compositor and the seek both go through here,
// so a fast-forwarded show is in the state that composing it would leave.
#pragma once

#include <cstdint>

#include "timeline/scene.h"

// The state work of the frame at show time now (timer.elapsed): takes the
// due statement group, then walks the scene list from the front, advancing
// sync scenes at their marks and erasing finished scenes. draw, when not
// null, is called for every running scene, in list order, after its sync
// bookkeeping. "end" leaves through engine.quit() during the intake.
void advanceFrame(int32_t now, void (*draw)(CScene&));

// For frames at show time from or later: the earliest time at which a frame
// changes the state or the set of scenes it draws. from itself when the next
// frame may; INT64_MAX when no frame will. Frames before that time redraw
// the same scenes, each from its own span.
int64_t nextChange(int64_t from);
