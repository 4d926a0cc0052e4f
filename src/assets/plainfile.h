// Opening the files of a show without waiting: a named pipe, a device or a
// directory put where a file was listed is refused at once, never read.
#pragma once

#include <cstdio>
#include <string>

enum class PlainOpen {
    Opened,
    Missing,   // no such file (any more)
    NotPlain,  // a directory, pipe, device or socket: the scan passes such entries over
    Failed,    // anything else, permissions for one
};

// Opens path for reading. The open cannot block (a pipe would wait for a
// writer), and the file's type is taken from what was opened, so nothing
// can be swapped in between a look at the path and its opening. Returns the
// descriptor, or -1 with the outcome in result and the reason in error
// ("No such file or directory", "Is a directory", "not a plain file (a
// named pipe)", "Permission denied"); errno then says the same.
int openPlainFile(const char* path, PlainOpen& result, std::string& error);

// The same as a stdio stream opened "rb"; null on failure.
std::FILE* openPlainStream(const char* path, PlainOpen& result, std::string& error);
