// Taking what changed in data/ into the show: changed assets are loaded
// again at once, and a script is taken only when the checker finds no error
// in it. The check runs beside the window, which goes on playing the last
// good version meanwhile.
#pragma once

#include <set>
#include <string>

#include "script_check.h"

// What one step of reloading did.
struct ReloadStep {
    bool changed = false;  // a check was taken or assets changed: the findings and problems may be new
    bool rewound = false;  // the show went back to time 0 with new files or a new script
};

class Reloader {
public:
    // The render size the preview keeps whatever a script asks for; chosen
    // when the user gave it, so that a script's other size is no news.
    void setRenderSize(int width, int height, bool chosen);

    // Loads every asset and the script, as at start-up, checking the script
    // on this thread.
    void loadAll();
    // Files of data/ that changed (all of them when everything is set), to
    // be taken in by the next steps.
    void request(const std::set<std::string>& names, bool everything);
    // Takes changes in, once a frame, and returns at once: loads the assets
    // asked for and starts a check of the script, or takes a check that is
    // done. Assets wait while a check runs (the check's parser reads their
    // tables).
    ReloadStep step();
    // Changes are asked for or being checked.
    bool busy() const { return pending_ || check_.running(); }
    // A check runs beside the window.
    bool checking() const { return check_.running(); }

    // The version playing: what the strip and the lines at the playhead show.
    const CheckedScript& playing() const { return playing_; }
    // The latest check, of the version playing or of one with errors.
    const CheckedScript& latest() const { return latest_; }
    // The latest script has errors (or cannot be read): the last good one plays.
    bool kept() const { return kept_; }
    // Said when the script asks for another render size than the window's.
    const std::string& sizeNote() const { return sizeNote_; }

private:
    ReloadStep take(ScriptVersion version);
    bool takeScript(const std::string& bytes);

    int width_ = 640, height_ = 480;
    bool sizeChosen_ = false;
    CheckedScript playing_;
    CheckedScript latest_;
    bool kept_ = false;
    std::string sizeNote_;
    int versionFd_ = -1;       // the text of the version playing, for seeks back
    std::string versionPath_;  // and a path that opens it
    bool pending_ = false;
    bool pendingAll_ = false;
    std::set<std::string> pendingNames_;
    ScriptCheck check_;
};

extern Reloader reloader;
