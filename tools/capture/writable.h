// Checking an output path before the long work starts.
#pragma once

#include <string>

// Whether path can be created or written, tried by opening it without
// truncating; a file made only for the test is removed again.
bool checkWritable(const std::string& path, std::string& error);
