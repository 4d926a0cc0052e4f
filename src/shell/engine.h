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
    // Prints "korvane: warning: <message>" on standard error; the show goes on.
    void warn(const std::string& message);
};

extern CMain engine;

// Tools that compose a show themselves (capture, checks) must survive the
// show's "end": a handler set here runs in quit() instead of the shutdown.
// It must not return; it throws or jumps back to the tool's own loop.
// The handler holds for quit() called on the thread that set it. Returns
// the handler it replaces.
using QuitHandler = void (*)();
QuitHandler setQuitHandler(QuitHandler handler);
// The handler set now on this thread, or null.
QuitHandler currentQuitHandler();
