// The player's start-up and memory with its music, one player build against
// another: the sample show, and shows of nothing but a 10-minute Ogg Vorbis,
// MP3 and XM file.
//
//   bench_music_player PLAYER BASELINE [RUNS]   (under an X display; a Release build)
//
// PLAYER and BASELINE are two korvane binaries, such as this build's and one
// built from the commit before the player's music moved from SDL_mixer to
// the music decoder (e.g. git worktree add /tmp/old 277d93d~1, build there).
// Start-up: the wall time of a run whose timeline ends at 0 (window, scan,
// music opened and started, one frame, shutdown), the best of RUNS (7), the
// two players taking turns, with the processor time it took. Memory: the peak resident memory of a run that
// plays 3 s of the show, the largest of three, and the most of it that was
// the process's own (not shared with other processes) at any 0.1 s. Held to:
// PLAYER's start-up at most 1.1 times BASELINE's, its peak resident memory
// at most 10 MB more.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/music_modules.h"

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system
    double peakMb = 0;     // resident
    double privateMb = 0;  // resident and the process's own, the most sampled
    bool ok = false;
};

// Private_Clean and Private_Dirty of a process: resident memory no other process shares.
double privateMb(pid_t pid) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    double kb = 0;
    for (std::string line; std::getline(rollup, line);)
        if (line.rfind("Private_", 0) == 0) kb += std::atof(line.c_str() + line.find(':') + 1);
    return kb / 1024.0;
}

// Runs player in dir with SDL's dummy audio driver (it mixes, and writes
// nowhere); samples its private memory every 0.1 s when sample is set.
Run runPlayer(const std::string& player, const std::string& dir, bool sample = false) {
    Run run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::freopen("/dev/null", "w", stderr);
        execl(player.c_str(), player.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    pid_t ended = 0;
    while (child > 0 && sample && (ended = wait4(child, &status, WNOHANG, &usage)) == 0) {
        run.privateMb = std::max(run.privateMb, privateMb(child));
        usleep(100000);
    }
    if (child < 0 || (ended != child && wait4(child, &status, 0, &usage) != child)) return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakMb = usage.ru_maxrss / 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// A show directory, its script rewritten for each measure.
struct Show {
    std::string name;
    fs::path dir;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || !std::getenv("DISPLAY")) {
        std::fprintf(stderr, "usage: bench_music_player PLAYER BASELINE [RUNS]   (under an X display)\n");
        return 2;
    }
    const std::string players[2] = {fs::absolute(argv[1]).string(), fs::absolute(argv[2]).string()};
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    std::string temp = (fs::temp_directory_path() / "korvane-bench-XXXXXX").string();
    if (!mkdtemp(temp.data())) return 1;
    const fs::path root = temp;

    // The sample show as it is, its timeline cut after the options.
    std::vector<Show> shows;
    const fs::path demo = fs::path(KORVANE_SOURCE_DIR) / "examples/demo/data";
    fs::create_directories(root / "sample");
    fs::copy(demo, root / "sample/data", fs::copy_options::recursive);
    std::string options;
    {
        std::ifstream script(demo / "script.txt");
        for (std::string line; std::getline(script, line) && line != "@sync";) options += line + "\n";
    }
    shows.push_back({"sample show", root / "sample"});
    for (const char* ending : {"ogg", "mp3"}) {
        const fs::path dir = root / ending;
        fs::create_directories(dir / "data");
        const std::string command = "sox -n -r 44100 -c 2 " + (dir / "data/music.").string() + ending +
                                    " synth 600 sine 200-800 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "sox could not make the %s file\n", ending);
            return 1;
        }
        shows.push_back({std::string("10-minute ") + ending, dir});
    }
    fs::create_directories(root / "xm/data");
    writeText(root / "xm/data/music.xm", xmSteps(120));  // 120 times 5 s
    shows.push_back({"10-minute xm", root / "xm"});

    auto script = [&](const Show& show, const char* end) {
        const std::string head = show.name == "sample show" ? options : "Default !fullscreen\n";
        writeText(show.dir / "data/script.txt", head + "@sync\n" + end + " end\n@end\n");
    };

    std::printf("%-14s %26s %17s %26s %26s\n", "", "start-up (best), ms", "its CPU time, ms", "peak resident, MB",
                "peak private, MB");
    std::printf("%-14s %8s %8s %8s %8s %8s %8s %8s %8s %8s %8s %8s\n", "show", "player", "baseline", "ratio", "player",
                "baseline", "player", "baseline", "more", "player", "baseline", "more");
    bool held = true;
    for (const Show& show : shows) {
        std::vector<double> seconds[2], cpu[2];
        double peak[2] = {0, 0}, own[2] = {0, 0};
        bool ok = true;
        script(show, "0");
        for (int r = 0; r < runs; r++)
            for (int p = 0; p < 2; p++) {
                const Run run = runPlayer(players[(p + r) % 2], show.dir);
                ok = ok && run.ok;
                seconds[(p + r) % 2].push_back(run.seconds);
                cpu[(p + r) % 2].push_back(run.cpuSeconds);
            }
        script(show, "3.0");
        for (int r = 0; r < 3; r++)
            for (int p = 0; p < 2; p++) {
                const Run run = runPlayer(players[p], show.dir, true);
                ok = ok && run.ok;
                peak[p] = std::max(peak[p], run.peakMb);
                own[p] = std::max(own[p], run.privateMb);
            }
        const double ms[2] = {best(seconds[0]) * 1e3, best(seconds[1]) * 1e3};
        const double ratio = ms[0] / ms[1];
        held = held && ok && ratio <= 1.1 && peak[0] - peak[1] <= 10;
        std::printf("%-14s %8.0f %8.0f %8.2f %8.0f %8.0f %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f%s\n", show.name.c_str(),
                    ms[0], ms[1], ratio, best(cpu[0]) * 1e3, best(cpu[1]) * 1e3, peak[0], peak[1], peak[0] - peak[1],
                    own[0], own[1], own[0] - own[1], ok ? "" : "  (a run failed)");
    }
    std::printf("target: start-up at most 1.1 times the baseline's, peak resident memory at most 10 MB more: %s\n",
                held ? "held" : "NOT held");
    fs::remove_all(root);
    return held ? 0 : 1;
}
