// Loading a show for capture: the player's start-up without window or sound.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "shell/glcontext.h"

struct ShowInfo {
    int width = 0, height = 0;       // render size
    int frameWidth = 0, frameHeight = 0;  // the frames: the render size, or another resolution
    bool framed = false;             // --resolution: the picture is framed in the frame size
    bool fill = false;               // framed by cropping instead of with bars
    std::optional<int32_t> endTime;  // start time of the first statement holding "end"
    int endDroppedAt = 0;            // the line whose backslash joined the end marker, dropping it
    std::string music;               // absolute path of the music the show plays, or empty
};

// Enters dir and reads its script; width and height, when not 0, replace
// the script's render size. False with error when the script is missing.
bool readShow(const std::string& dir, int width, int height, ShowInfo& show, std::string& error);

// Makes the offscreen context of the frame size current, frames the render
// size's picture in it, sets the fixed GL state, resets the camera and loads every asset. The music is not opened:
// a capture plays no sound. A corrupt JPEG ends the process with status 1.
bool loadShow(const ShowInfo& show, OffscreenContext& context, std::string& error);

// The start time of the first statement with "end" as one of its words
// after the time, or nothing when no statement has one.
std::optional<int32_t> findEndTime();
