// Taking what changed in data/ into the show: changed assets are loaded
// again, and a script is taken only when the checker finds no error in it.
#pragma once

#include <set>
#include <string>

#include "script_check.h"

class Reloader {
public:
    // The render size the preview keeps whatever a script asks for; chosen
    // when the user gave it, so that a script's other size is no news.
    void setRenderSize(int width, int height, bool chosen);

    // Loads every asset and the script, as at start-up.
    void loadAll();
    // Takes the named files of data/ (all of them when everything is set)
    // into the show. False when nothing changed for the show; true when it
    // was rewound to time 0 with the new files or a new script.
    bool apply(const std::set<std::string>& names, bool everything);

    // The version playing: what the strip and the lines at the playhead show.
    const CheckedScript& playing() const { return playing_; }
    // The latest check, of the version playing or of one with errors.
    const CheckedScript& latest() const { return latest_; }
    // The latest script has errors (or cannot be read): the last good one plays.
    bool kept() const { return kept_; }
    // Said when the script asks for another render size than the window's.
    const std::string& sizeNote() const { return sizeNote_; }

private:
    bool takeScript();

    int width_ = 640, height_ = 480;
    bool sizeChosen_ = false;
    CheckedScript playing_;
    CheckedScript latest_;
    bool kept_ = false;
    std::string sizeNote_;
    int versionFd_ = -1;       // the text of the version playing, for seeks back
    std::string versionPath_;  // and a path that opens it
};

extern Reloader reloader;
