#include "support/xserver.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

pid_t serverPid = -1;
pid_t ownerPid = -1;  // death tests fork: only the process that started it stops it

void stopServer() {
    if (serverPid <= 0 || getpid() != ownerPid) return;
    kill(serverPid, SIGTERM);
    waitpid(serverPid, nullptr, 0);
    serverPid = -1;
}

bool sharedDisplayWanted() {
    const char* mode = std::getenv("KORVANE_TEST_DISPLAY");
    return mode && std::strcmp(mode, "shared") == 0;
}

// Xvfb picks a free display number itself (-displayfd) and writes it to the
// pipe once it accepts connections: no race with servers started beside it.
bool startServer() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        // Its log would only interleave with the test's own output.
        freopen("/dev/null", "w", stderr);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    // A loaded machine may take a few seconds to start it.
    while (poll(&p, 1, 20000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return false;
    }
    serverPid = pid;
    ownerPid = getpid();
    std::atexit(stopServer);
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

}  // namespace

bool usePrivateDisplay() {
    static const bool ready = [] {
        if (!sharedDisplayWanted() && startServer()) return true;
        const char* d = std::getenv("DISPLAY");
        return d && *d;
    }();
    return ready;
}
