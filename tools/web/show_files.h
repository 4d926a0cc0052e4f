// What a show's page needs of its directory: the files the player would read,
// and the music it would play.
#pragma once

#include <string>
#include <vector>

struct ShowFiles {
    std::vector<std::string> files;  // "data/NAME", in the scan's order: the script, pictures, models, the music
    std::string music;               // "data/NAME" of the music the show plays, or empty
    std::vector<std::string> warnings;
};

// With the show's directory the working directory: reads its script (false,
// with why, when it cannot be read) and lists what the player would load.
bool listShowFiles(ShowFiles& show, std::string& why);
