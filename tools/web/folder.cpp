#include "folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "assets/plainfile.h"
#include "staged_file.h"

bool makeDirectories(const std::string& dir, std::string& why) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            why = "cannot make " + part + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        why = dir + " is not a directory";
        return false;
    }
    return true;
}

bool copyFile(const std::string& from, const std::string& to, std::string& why, uint64_t* bytes) {
    // A file replaced by a pipe since the listing is refused, not waited on.
    PlainOpen opened;
    std::string reason;
    const int in = openPlainFile(from.c_str(), opened, reason);
    if (in < 0) {
        why = from + ": " + reason;
        return false;
    }
    StagedFile out(to);
    bool ok = out.create(why);
    char buffer[1 << 16];
    while (ok) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = from + ": " + std::strerror(errno);
            ok = false;
        } else if (n == 0) {
            break;
        } else if (!writeAll(out.fd(), buffer, size_t(n))) {
            why = "cannot write " + to + ": " + std::strerror(errno);
            ok = false;
        } else if (bytes) {
            *bytes += uint64_t(n);
        }
    }
    ::close(in);
    return ok && out.commit(why);
}

bool writeText(const std::string& to, const std::string& text, std::string& why) {
    StagedFile out(to);
    if (!out.create(why)) return false;
    if (!writeAll(out.fd(), text.data(), text.size())) {
        why = "cannot write " + to + ": " + std::strerror(errno);
        return false;
    }
    return out.commit(why);
}

std::string urlPath(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string url;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("-._~/", c)) {
            url += char(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

std::string jsonString(const std::string& text) {
    static const char hex[] = "0123456789abcdef";
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += char(c);
        } else if (c < 0x20) {
            json += "\\u00";
            json += hex[c >> 4];
            json += hex[c & 15];
        } else {
            json += char(c);
        }
    }
    return json + "\"";
}
