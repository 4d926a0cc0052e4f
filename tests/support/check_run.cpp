#include "support/check_run.h"

#include <sstream>

#include "support/jpeg_files.h"
#include "support/showdir.h"
#include "shapes3ds.h"

// What the checker prints goes to a scratch directory, never into the show
// (which may be one of the examples in the source tree).
CheckRun runCheck(const std::string& dir, const std::string& arguments, const std::string& runner) {
    const ShowDir scratch;
    const std::string out = scratch.path() + "/check.out", err = scratch.path() + "/check.err";
    CheckRun run;
    // Bounded: a checker that hangs fails the test with status 124.
    run.status = runCommand("timeout 60 " + runner + (runner.empty() ? "" : " ") + KORVANE_CHECK + " '" + dir + "' " +
                            arguments + " > '" + out + "' 2> '" + err + "'");
    std::istringstream text(readFile(out));
    for (std::string line; std::getline(text, line);) run.lines.push_back(line);
    run.errors = readFile(err);
    return run;
}

std::vector<std::string> linesStartingWith(const CheckRun& run, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : run.lines)
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    return found;
}

bool writeCheckJpeg(const std::string& path) { return convertTo(path, "-size 32x16 gradient:red-blue"); }

bool writeCheckModel(const std::string& path) { return writeBytes(path, file3DS({boxMesh("box")})); }

bool writeCheckOgg(const std::string& path) {
    return runCommand("sox -n -r 22050 -c 1 '" + path + "' synth 0.2 sine 440 2>/dev/null") == 0;
}
