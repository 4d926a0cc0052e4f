// Reading data/script.txt with korvane-check's own code: its findings, and
// what the preview draws of the show.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "timeline.h"

struct CheckedScript {
    bool read = false;        // false: there is no readable script
    std::string readError;    // why not
    int errors = 0;
    // "script.txt:LINE: error|warning: ..." as korvane-check prints them.
    std::vector<std::string> findings;
    Timeline timeline;                  // for the strip
    std::vector<std::string> physical;  // the file's lines, for the lines at the playhead
    int32_t endTime = 0;                // the "end", or the last statement's start
    bool hasEnd = false;
};

// One version of the script: the bytes read once, and what the checker
// found in those very bytes. A version without errors plays these bytes.
struct ScriptVersion {
    std::string bytes;
    CheckedScript checked;
};

// Reads data/script.txt of the working directory and checks it. It changes
// none of the engine's globals and reads only the texture and model tables
// (the statement parser looks names up there): it may run beside the show
// as long as nothing changes those tables.
ScriptVersion checkScript();

// checkScript() on a thread of its own: the window goes on drawing the
// version playing and answering keys while a long script is checked.
class ScriptCheck {
public:
    ScriptCheck() = default;
    ~ScriptCheck();  // waits for a check still running
    ScriptCheck(const ScriptCheck&) = delete;
    ScriptCheck& operator=(const ScriptCheck&) = delete;

    // Begins a check; false when one is running already (or no thread can
    // be had: the caller then checks on its own thread).
    bool start();
    // A check was started and its version not yet taken.
    bool running() const { return thread_.joinable(); }
    // The running check is done: take() returns at once.
    bool done() const { return done_.load(std::memory_order_acquire); }
    // The version checked, once done(); the check is then over.
    ScriptVersion take();

private:
    std::thread thread_;
    std::atomic<bool> done_{false};
    ScriptVersion version_;  // written by the check's thread until done_
};
