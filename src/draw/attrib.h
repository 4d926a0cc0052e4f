// Leaving a saved group of GL state so that the next primitive is drawn
// with the current values the restore reports.
#pragma once

// glPopAttrib() for a save that holds GL_CURRENT_BIT, then GL's current
// colour, normal and texture coordinate set again to the values it
// restored. Mesa (22.3, llvmpipe) reports the restored values after the
// pop, but draws the next primitive with a colour set inside the save when
// no vertex followed it there (a model scene with a colour whose model is
// missing), so without this one frame's colour would tint the next ones.
void popAttribWithCurrent();
