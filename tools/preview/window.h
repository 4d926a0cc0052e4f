// The preview's window: the render size and an OpenGL window of it.
#pragma once

#include <string>

#include "options.h"

// --size, or the script's render size, or the player's default when there
// is no script yet.
void renderSize(const PreviewOptions& options, int& width, int& height);

// Opens the window through the engine's start-up step, titled for the
// preview, taking keys, clicks and the close request. False with error when
// SDL cannot make it, or the size is beyond what korvane-capture's context
// takes (frameSizeFits).
bool openWindow(bool fullscreen, int width, int height, std::string& error);
