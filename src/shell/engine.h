// The one way out of the program.
#pragma once

#include <string>

class CMain {
public:
    // Releases the music, closes SDL and exits with status 0.
    [[noreturn]] void quit();
    // Prints "korvane: <message>" on standard error, releases the music,
    // closes SDL and exits with status 1.
    [[noreturn]] void fail(const std::string& message);
};

extern CMain engine;
