// Directory listing.
#pragma once

#include <string>
#include <vector>

// Every entry name of directory dir once, "." and ".." left out, in the order
// the file system gives them. An unreadable or missing directory gives none.
std::vector<std::string> listDirectory(const char* dir);

// Whether path names a regular file, following symbolic links. Directories,
// pipes and devices are not: opening a pipe would wait for a writer.
bool isRegularFile(const std::string& path);
