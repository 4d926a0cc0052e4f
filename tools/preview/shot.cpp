#include "shot.h"

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

// Written under a temporary name, then linked to a free final name: nothing
// half-written, nothing written over.
std::string writeShot(const Frame& frame, int32_t t, const std::string& dir) {
    std::string part = dir + "/.korvane-preview-XXXXXX";
    const int fd = mkstemp(part.data());
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
