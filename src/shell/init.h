// The configuration record and the start-up sequence.
#pragma once

#include <cstdint>

struct SDL_Surface;

class CInit {
public:
    uint32_t videoFlags;   // SDL video-mode flags; the window step clears SDL_FULLSCREEN when windowed
    SDL_Surface* screen;   // result of the mode switch
    bool windowed;         // "!fullscreen"
    bool soundOn;          // cleared by "!sound": the music player then does nothing
    bool anaglyphic;       // "anaglyphic"; read by nothing
    bool guiOn;            // cleared by "!gui"; read by nothing
    int32_t width;         // render size: the pixel space of image scenes
    int32_t height;
    int32_t modeWidth;     // size of the video mode asked of SDL
    int32_t modeHeight;

    void defaults();  // the values of a fresh start
    void init();      // the whole start-up: defaults, script, window, GL state, camera, assets, clock
    void window();    // src/shell/window.cpp
    void opengl();    // fixed GL state and light 0
    void dir();       // src/assets/dir.cpp: load everything in data/
};

// Filled by init() before anything else reads it; changed only by the script's options.
extern CInit einit;

// Before SDL starts (window() calls it): full screen shows the frame pixel
// for pixel in the middle of the screen. sdl12-compat would scale a GL
// frame to the whole screen, which needs a viewport the show never sets:
// on a display without a window manager only the frame's lower-left
// quarter showed, at twice the size. A user who sets the scaling keeps it.
void unscaledFullScreen();  // src/shell/window.cpp

// Where the show lives, relative to the working directory.
extern const char* const kDataDir;     // "data"
extern const char* const kDataPrefix;  // "data/": five characters, dropped to get an asset's name
extern const char* const kScriptPath;  // "data/script.txt"
