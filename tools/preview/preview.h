// The preview's window and main loop.
#pragma once

#include <string>

#include "options.h"

// Opens the window on the show of the working directory and runs until the
// user quits; the exit status. startDir is where S writes its pictures.
int runPreview(const PreviewOptions& options, const std::string& startDir);
