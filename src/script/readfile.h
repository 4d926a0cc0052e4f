// Reading the script file whole, refusing what is no plain file.
#pragma once

#include <string>

// Reads the file at path into bytes. A pipe, a device, a socket or a
// directory is refused at once: a pipe would block the open until a writer
// came, a device may never end. False with error ("No such file or
// directory", "Is a directory", "not a plain file (a named pipe)", ...).
bool readPlainFile(const char* path, std::string& bytes, std::string& error);
