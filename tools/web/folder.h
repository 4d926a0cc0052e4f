// Writing the page's folder. Each file appears under its name only when
// complete, and never in the place of one of the show's own files.
#pragma once

#include <cstdint>
#include <string>

// Makes dir and its parents. False with why.
bool makeDirectories(const std::string& dir, std::string& why);
// Copies the plain file from to the path to; a file that is not plain (any
// more) is not read. Adds the bytes written to *bytes.
bool copyFile(const std::string& from, const std::string& to, std::string& why, uint64_t* bytes = nullptr);
bool writeText(const std::string& to, const std::string& text, std::string& why);
// What a browser's address takes for a path: bytes other than letters,
// digits and -._~/ as %XX.
std::string urlPath(const std::string& path);
// path as a JSON string, quotes included.
std::string jsonString(const std::string& text);
