// Running korvane-check on a show directory and reading what it printed.
#pragma once

#include <string>
#include <vector>

struct CheckRun {
    int status;
    std::vector<std::string> lines;  // standard output, line by line
    std::string errors;              // standard error
};

// Runs the checker on dir with extra arguments (already quoted as needed),
// under the command words of runner when given (for example setpriv ... --).
CheckRun runCheck(const std::string& dir, const std::string& arguments = {}, const std::string& runner = {});

// The lines that start with prefix, e.g. "data/script.txt:7: warning: ".
std::vector<std::string> linesStartingWith(const CheckRun& run, const std::string& prefix);

// Small real asset files for a show: a JPEG made by ImageMagick, a box
// model and an Ogg Vorbis tone made by sox. Each returns false on failure.
bool writeCheckJpeg(const std::string& path);
bool writeCheckModel(const std::string& path);
bool writeCheckOgg(const std::string& path);
