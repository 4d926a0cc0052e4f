// Running the real player binary under an X display, as a user would.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// Gives the test an X server of its own (support/xserver.h). Skips the test
// when there is none; fails it instead when KORVANE_REQUIRE_DISPLAY=1 (as in
// CI, where a missing display is a fault).
#define REQUIRE_DISPLAY()                                                          \
    do {                                                                           \
        if (!displayAvailable()) {                                                 \
            if (displayRequired()) FAIL() << "no X display, but one is required"; \
            GTEST_SKIP() << "no X display (set DISPLAY)";                          \
        }                                                                          \
    } while (0)

bool displayAvailable();
bool displayRequired();

class Player {
public:
    // The player by default; korvane-preview with KORVANE_PREVIEW.
    explicit Player(std::string binary = KORVANE_BINARY) : binary_(std::move(binary)) {}
    ~Player();
    // Starts the player in directory dir with the given arguments and extra
    // environment ("NAME=value", or "NAME" to unset it); its standard output
    // and standard error go to files.
    bool start(const std::string& dir, const std::vector<std::string>& args = {},
               const std::vector<std::string>& env = {});
    // Gives the programs started after this at most megabytes of address
    // space (support/limits.h).
    void limitMemory(long megabytes) { memoryMb_ = megabytes; }
    // Waits for the player to end; its exit status, or -1 when it did not
    // end within timeout seconds (it is killed then) or died of a signal.
    int wait(double timeoutSeconds);
    bool running();
    // The player's window, found by its process id; 0 when none appeared in time.
    unsigned long window(double timeoutSeconds = 10);
    std::string errorOutput() const;
    std::string output() const;  // what it printed on standard output so far
    pid_t pid() const { return pid_; }

private:
    std::string binary_;
    pid_t pid_ = -1;
    int status_ = -1;  // wait status once reaped
    long memoryMb_ = 0;
    std::string errPath_, outPath_;
};

// What the window manager would do or what a user would type.
bool sendKey(unsigned long window, const std::string& key);
bool sendCloseRequest(unsigned long window);  // WM_DELETE_WINDOW client message
bool floodMotion(unsigned long window, int count);
bool windowSize(unsigned long window, int& width, int& height);
std::string windowName(unsigned long window);
// Waits until the window's name passes the test; the last name seen.
std::string waitForName(unsigned long window, const std::function<bool(const std::string&)>& done,
                        double timeoutSeconds);
// A left click at (x, y) of the window, from its top left.
bool sendClick(unsigned long window, int x, int y);
// The left button pressed at (x0, y0), the pointer moved to (x1, y1) in a
// few steps, and the button released there.
bool sendDrag(unsigned long window, int x0, int y0, int x1, int y1);
// What a paste would give: the text on the display's clipboard, asked for as
// UTF-8; empty when no program offers any within the timeout.
std::string clipboardText(double timeoutSeconds = 5);
