#include "shot.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "png_write.h"

// "korvane-40.000.png" for the frame at 40 s.
static std::string shotName(int32_t t, int attempt) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%d.%03d", t / 1000, t % 1000);
    return std::string("korvane-") + seconds + (attempt > 1 ? "-" + std::to_string(attempt) : "") + ".png";
}

// A new file of the preview's own in dir, made with the permissions the
// umask gives any new file (as the capture's are), not only for its owner.
static int createPart(const std::string& dir, std::string& path) {
    static unsigned long counter = 0;
    for (int attempt = 0;; attempt++) {
        path = dir + "/.korvane-preview-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".png";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST || attempt == 1000) return fd;
    }
}

// Written under a temporary name, then linked to a free final name: nothing
// half-written, nothing written over.
std::string writeShot(const Frame& frame, int32_t t, const std::string& dir) {
    std::string part;
    const int fd = createPart(dir, part);
    if (fd < 0) return "cannot write a picture in " + dir + ": " + std::strerror(errno);
    std::string error;
    if (!writePng(fd, frame, error)) {
        ::unlink(part.c_str());
        return error;
    }
    std::string message;
    for (int attempt = 1; message.empty(); attempt++) {
        const std::string name = shotName(t, attempt);
        if (::link(part.c_str(), (dir + "/" + name).c_str()) == 0)
            message = "wrote " + name;
        else if (errno != EEXIST || attempt == 1000)
            message = "cannot write " + name + " in " + dir + ": " + std::strerror(errno);
    }
    ::unlink(part.c_str());
    return message;
}
