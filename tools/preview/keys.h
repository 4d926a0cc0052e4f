// What each key does in the preview.
#pragma once

#include <SDL/SDL.h>

#include <string>

enum class Action {
    None,
    TogglePause,
    Back,          // 1 s
    Forward,
    BackFar,       // 10 s
    ForwardFar,
    FrameBack,     // while paused
    FrameForward,
    Start,         // to 0
    End,           // to the last statement's start
    LoopFrom,      // loop start at the current time
    LoopTo,        // loop end at the current time
    ToggleLoop,
    Reload,
    Shot,
    ToggleOverlay,
    ToggleFullscreen,
    Tap,             // a mark of the take being tapped
    EndTake,         // the take's Sync line
    EndTakeOnBeats,  // the same with the marks moved to the nearest beats
    CopyTime,        // the current time, on the nearest beat when beats are known
    CopyExactTime,   // the current time as it is
    Quit,
};

// The action of a key press; frame steps only while paused.
Action actionFor(const SDL_keysym& key, bool paused);

// One line per key, for --help.
std::string keysHelp();
