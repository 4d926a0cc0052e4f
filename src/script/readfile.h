// Opening files of the show without blocking, refusing what is no plain file.
#pragma once

#include <string>

// Reads the file at path into bytes. A pipe, a device, a socket or a
// directory is refused at once: a pipe would block the open until a writer
// came, a device may never end. False with error ("No such file or
// directory", "Is a directory", "not a plain file (a named pipe)", ...).
bool readPlainFile(const char* path, std::string& bytes, std::string& error);

// Opens path for reading as readPlainFile() does: a descriptor of a plain
// file, or -1 with error (and errno) saying why not.
int openPlainFile(const char* path, std::string& error);
