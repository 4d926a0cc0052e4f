// Moving the engine's show forward without showing it.
#pragma once

#include <cstdint>

// Composes, into the back buffer, every frame of the seek's grid after from
// and before to, in order; last is set to the time of each one as it is done.
// The show's "end" comes out of it as the quit handler's exception.
void fastForward(int32_t from, int32_t to, int32_t& last);
