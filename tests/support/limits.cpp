#include "support/limits.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/capture_run.h"  // Required for: waitUntil
#include "support/showdir.h"      // Required for: readFile

bool addressSpaceLimitable() {
#if defined(__SANITIZE_ADDRESS__)
    return false;
#else
    return true;
#endif
}

void limitAddressSpace(long megabytes) {
    if (!addressSpaceLimitable() || megabytes <= 0) return;
    const rlim_t bytes = rlim_t(megabytes) << 20;
    const rlimit cap{bytes, bytes};
    setrlimit(RLIMIT_AS, &cap);
}

long addressSpaceKb() {
    long kb = 0;
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmSize: %ld", &kb) == 1) break;
    if (status) std::fclose(status);
    return kb;
}

BoundedRun runBounded(double seconds, long megabytes, const std::function<bool()>& body) {
    char errTemplate[] = "/tmp/korvane-bounded-XXXXXX";
    const int errFd = mkstemp(errTemplate);
    BoundedRun run;
    if (errFd < 0) return run;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(errFd, 2);
        limitAddressSpace(addressSpaceKb() / 1024 + megabytes);
        const bool passed = body();
        std::fflush(nullptr);
        _exit(passed ? 0 : 1);
    }
    close(errFd);
    int status = 0;
    run.finished = pid > 0 && waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, seconds);
    if (pid > 0 && !run.finished) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    run.passed = run.finished && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.output = readFile(errTemplate);
    std::filesystem::remove(errTemplate);
    return run;
}

std::string boundedCommand(double seconds, long megabytes) {
    std::string words = "timeout -s KILL " + std::to_string(seconds);
    if (addressSpaceLimitable()) words += " prlimit --as=" + std::to_string(megabytes << 20);
    return words;
}
