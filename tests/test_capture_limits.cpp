// korvane-capture within bounds: a long show keeps its memory, and a render
// size beyond the offscreen context is refused before anything is allocated.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/capture_run.h"
#include "support/showdir.h"

namespace {

// Runs the capture with args, its output thrown away; the peak resident
// memory it reached in kB, or -1 when it did not exit with status 0.
long peakResidentKb(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(KORVANE_CAPTURE)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (!freopen("/dev/null", "w", stderr)) _exit(127);
        // A sanitized build holds freed blocks back for a while; what it
        // holds is not the capture's memory.
        if (const char* asan = getenv("ASAN_OPTIONS"))
            setenv("ASAN_OPTIONS", (std::string(asan) + ":quarantine_size_mb=0").c_str(), 1);
        execv(KORVANE_CAPTURE, argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return usage.ru_maxrss;
}

}  // namespace

// An object and a mask animated across GL names reach a new one every frame;
// none of them is a texture, and none may cost memory. Before, each bound
// name became a texture object in Mesa: ten minutes of show grew the capture
// by about 100 MB.
TEST(CaptureLimits, NamesAnimatedAcrossEveryFrameKeepMemoryFlat) {
    ShowDir show;
    show.writeScript(
        "Default !fullscreen\n@sync\n"
        "0 track 1 type 1 object 1 to 2000000000 mask 5 to 2000000005 move 0 0 duration 3600.0\n"
        "3600.0 end\n");
    auto run = [&](const char* to) {
        return peakResidentKb({"--dir", show.path(), "--size", "32x24", "--fps", "60", "--to", to, "--null"});
    };
    const long minute = run("60.0");     // 3,600 frames
    const long tenMinutes = run("600.0");  // 36,000 frames
    ASSERT_GT(minute, 0);
    ASSERT_GT(tenMinutes, 0);
    EXPECT_LT(tenMinutes - minute, 16 * 1024) << "kB after one minute " << minute << ", after ten " << tenMinutes;
}

// The surfaceless context takes pbuffers of at most 4096 x 4096; Mesa would
// make a larger one and compose in it with gigabytes.
TEST(CaptureLimits, ASizeBeyondTheContextIsRefusedWithTheLimit) {
    ShowDir show;
    show.writeScript("Default !fullscreen\n@sync\n0 scene 1 track 1 duration 500\n200 end\n@end\n");
    const ToolRun run = runCapture({"--dir", show.path(), "--size", "16384x16384", "--fps", "10", "--null"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("no offscreen GL context of 16384x16384: the largest it takes is "), std::string::npos)
        << run.errors;
    EXPECT_EQ(runCapture({"--dir", show.path(), "--size", "64x48", "--fps", "10", "--null"}).status, 0);
}
