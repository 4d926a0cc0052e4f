#include "support/showdir.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

ShowDir::ShowDir() {
    std::string pattern = (fs::temp_directory_path() / "korvane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    fs::create_directory(data());
}

ShowDir::~ShowDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void ShowDir::write(const std::string& name, const std::string& text) const {
    std::ofstream out(data() + "/" + name, std::ios::binary);
    out << text;
}

void ShowDir::copy(const std::string& from, const std::string& name) const {
    fs::copy_file(from, data() + "/" + name, fs::copy_options::overwrite_existing);
}

int runCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

WorkingDir::WorkingDir(const std::string& dir) : previous_(fs::current_path().string()) {
    fs::current_path(dir);
}

WorkingDir::~WorkingDir() { fs::current_path(previous_); }
