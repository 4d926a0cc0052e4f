// What the check found: one entry per finding, printed in line order.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A note tells what the player does with something that is not wrong.
// Script words and file names can hold any byte: this writes the control
// bytes out as \xNN, so that what is printed stays one printable line.
std::string printable(const std::string& text);

enum class Severity { Error, Warning, Note };

struct Finding {
    std::string file;  // "script.txt", or the name of a file in data/
    int line;          // physical line of file, from 1; 0 for the file as a whole
    Severity severity;
    std::string message;
};

class Findings {
public:
    void add(const std::string& file, int line, Severity severity, const std::string& message);
    void error(int line, const std::string& message) { add(kScript, line, Severity::Error, message); }
    void warning(int line, const std::string& message) { add(kScript, line, Severity::Warning, message); }

    const std::vector<Finding>& all() const { return findings_; }
    int errors() const;
    // "file:LINE: error|warning|note: message" per finding: the files of data/
    // first (in name order), then the script, whole-file findings before
    // line findings, lines ascending, equal lines in the order found.
    void print(std::FILE* out) const;

    static const char* const kScript;

private:
    std::vector<Finding> findings_;
};
