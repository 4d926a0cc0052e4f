#include "assets/plainfile.h"

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

int openPlainFile(const char* path, PlainOpen& result, std::string& error) {
    // O_NONBLOCK: opening a pipe returns at once instead of waiting for a writer.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int cause = errno;
        result = cause == ENOENT ? PlainOpen::Missing : cause == EISDIR ? PlainOpen::NotPlain : PlainOpen::Failed;
        error = std::strerror(cause);
        errno = cause;
        return -1;
    }
    struct stat st;
    const bool stated = ::fstat(fd, &st) == 0;
    if (!stated || !S_ISREG(st.st_mode)) {
        const int cause = !stated ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        result = stated ? PlainOpen::NotPlain : PlainOpen::Failed;
        error = stated && !S_ISDIR(st.st_mode) ? notPlain(st.st_mode) : std::strerror(cause);
        ::close(fd);
        errno = cause;
        return -1;
    }
    // A plain file reads as usual from here on.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    result = PlainOpen::Opened;
    return fd;
}

std::FILE* openPlainStream(const char* path, PlainOpen& result, std::string& error) {
    const int fd = openPlainFile(path, result, error);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        const int cause = errno;
        ::close(fd);
        result = PlainOpen::Failed;
        error = std::strerror(cause);
        errno = cause;
    }
    return file;
}
