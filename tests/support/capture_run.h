// Running korvane-capture and reading what it wrote with other programs
// (ImageMagick for PNG, ffprobe for video).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/offscreen.h"  // Required for: Rgb, colorNear

struct ToolRun {
    int status = -1;     // exit status, -1 when it did not exit
    std::string errors;  // standard error
    std::string output;  // standard output
};

// Runs the tool with args; env is put before the command as shell words,
// for example "PATH=/nowhere".
ToolRun runCapture(const std::vector<std::string>& args, const std::string& env = "");
// The same for any of the project's programs.
ToolRun runTool(const std::string& binary, const std::vector<std::string>& args, const std::string& env = "");

// korvane-capture started in the background, in a process group of its own
// as a shell runs a job, so that a signal can reach ffmpeg too, as Ctrl-C does.
class CaptureJob {
public:
    explicit CaptureJob(const std::vector<std::string>& args);
    ~CaptureJob();  // kills the group when it still runs
    CaptureJob(const CaptureJob&) = delete;
    CaptureJob& operator=(const CaptureJob&) = delete;
    void signal(int sig);  // to the whole group
    // Its exit status, or 128 + N when signal N ended it; -1 when it did not
    // end within timeout seconds (it is killed then).
    int wait(double timeoutSeconds);
    std::string errors() const;

private:
    int pid_ = -1;
    std::string errPath_;
};

// Polls ready every 10 ms for up to timeout seconds; whether it came true.
bool waitUntil(const std::function<bool()>& ready, double timeoutSeconds);

// A decoded picture, rows from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    Rgb at(int x, int y) const;  // (0, 0) at the top left
};

// Reads a PNG through ImageMagick; false when it cannot.
bool readPicture(const std::string& path, Picture& picture);

// A JPEG of one colour made by ImageMagick, colour as ImageMagick writes it
// ("rgb(200,40,40)").
void writeSolidJpeg(const std::string& path, int width, int height, const std::string& colour);

// Runs ffprobe on path with the given options and returns its output.
std::string probe(const std::string& path, const std::string& options);

// Quotes a word for the shell.
std::string shellQuote(const std::string& word);
