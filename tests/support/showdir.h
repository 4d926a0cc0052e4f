// Temporary show directories for tests: a folder with data/ and a script.
#pragma once

#include <string>

class ShowDir {
public:
    ShowDir();   // makes a fresh directory with an empty data/ in it
    ~ShowDir();  // removes it with everything inside
    ShowDir(const ShowDir&) = delete;
    ShowDir& operator=(const ShowDir&) = delete;

    const std::string& path() const { return path_; }
    std::string data() const { return path_ + "/data"; }
    // Writes text (as given, byte for byte) to data/<name>.
    void write(const std::string& name, const std::string& text) const;
    void writeScript(const std::string& text) const { write("script.txt", text); }
    // Copies a file into data/<name>.
    void copy(const std::string& from, const std::string& name) const;

private:
    std::string path_;
};

// Runs a shell command and returns its exit status (-1 when it did not exit).
int runCommand(const std::string& command);

// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);

// Changes the working directory for the lifetime of the object.
class WorkingDir {
public:
    explicit WorkingDir(const std::string& dir);
    ~WorkingDir();

private:
    std::string previous_;
};
