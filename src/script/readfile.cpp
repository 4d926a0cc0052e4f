#include "script/readfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

static std::string notPlain(mode_t mode) {
    if (S_ISFIFO(mode)) return "not a plain file (a named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "not a plain file (a device)";
    if (S_ISSOCK(mode)) return "not a plain file (a socket)";
    return "not a plain file";
}

int openPlainFile(const char* path, std::string& error) {
    // O_NONBLOCK: opening a pipe returns at once; the type is then taken from
    // what was opened, so nothing can be swapped in between.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat st;
    const bool stated = ::fstat(fd, &st) == 0;
    if (!stated || !S_ISREG(st.st_mode)) {
        // errno stays meaningful for callers that look at it, as after a failed read.
        const int cause = stated ? (S_ISDIR(st.st_mode) ? EISDIR : EINVAL) : errno;
        error = stated && !S_ISDIR(st.st_mode) ? notPlain(st.st_mode) : std::strerror(cause);
        ::close(fd);
        errno = cause;
        return -1;
    }
    return fd;
}

bool readPlainFile(const char* path, std::string& bytes, std::string& error) {
    const int fd = openPlainFile(path, error);
    if (fd < 0) return false;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) bytes.append(buffer, size_t(n));
        else if (n == 0) break;
        else if (errno != EINTR) {
            error = std::strerror(errno);
            ::close(fd);
            return false;
        }
    }
    ::close(fd);
    return true;
}
