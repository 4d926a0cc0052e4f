// What the check found: one entry per finding, printed in line order.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// A note tells what the player does with something that is not wrong.
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
    // "data/FILE:LINE: error|warning|note: message" per finding, printable: the
    // files of data/ first (in name order), then the script, whole-file
    // findings before line findings, lines ascending, equal lines in the
    // order found.
    std::string text() const;
    void print(std::FILE* out) const;

    static const char* const kScript;

private:
    std::vector<Finding> findings_;
};

// The findings of one statement or option line, at most kListed of each
// kind: a line of thousands of faults gets the first few, then one finding
// that counts the rest. Callers ask before they work out a message, so that
// what is left out costs nothing.
class LineFindings {
public:
    static const int kListed = 20;

    // where ends the closing count: "in this statement", "on this line".
    LineFindings(Findings& findings, int line, const char* where) : findings_(findings), line_(line), where_(where) {}
    // Whether another finding of the kind (a plural noun: "ignored words")
    // is to be listed; counts it either way.
    bool list(const char* kind, Severity severity);
    // Adds "and N more KIND WHERE (the first 20 are listed)" for each kind
    // that had more than kListed.
    void finish();
    Findings& findings() const { return findings_; }

private:
    struct Count {
        int seen;
        Severity severity;
    };
    Findings& findings_;
    int line_;
    const char* where_;
    std::map<std::string, Count> counts_;
    std::vector<std::string> order_;  // kinds in the order first met
};
