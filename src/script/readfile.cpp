#include "script/readfile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "assets/plainfile.h"

bool readPlainFile(const char* path, std::string& bytes, std::string& error) {
    PlainOpen result;
    const int fd = openPlainFile(path, result, error);
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
