// Drawing one model of the model table.
#pragma once

// Draws model number index (0 is the front of the table) with GL texture
// name texture, or with the model's own texture when texture is negative.
// An index with no model only leaves texture 0 bound.
void Show3DS(int index, int texture);

// The texture name that Show3DS(index, texture) leaves bound, without drawing.
int Show3DSTexture(int index, int texture);
