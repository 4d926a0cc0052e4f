// Directory listing over POSIX opendir/readdir.
#include "assets/listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

std::vector<std::string> listDirectory(const char* dir) {
    std::vector<std::string> names;
    DIR* d = opendir(dir);
    if (!d) return names;
    // readdir yields each entry once and null at the end, or on an error: either way the listing ends.
    while (dirent* entry = readdir(d)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        names.emplace_back(entry->d_name);
    }
    closedir(d);
    return names;
}

bool isRegularFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
