#include "arguments.h"

#include <cmath>
#include <cstdlib>
#include <limits>

Arguments::Arguments(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            words_.push_back(arg.substr(0, eq));
            words_.push_back(arg.substr(eq + 1));
        } else {
            words_.push_back(arg);
        }
    }
}

bool parseShowTime(const std::string& text, int32_t& ms) {
    if (text.empty() || text == ".") return false;
    int points = 0;
    for (char c : text) {
        if (c == '.') points++;
        else if (c < '0' || c > '9') return false;
    }
    if (points > 1) return false;
    const double value = std::strtod(text.c_str(), nullptr);
    // Seconds become whole milliseconds, truncated, as the script's times do.
    const double result = points ? std::trunc(value * 1000.0) : value;
    if (result > std::numeric_limits<int32_t>::max()) return false;
    ms = static_cast<int32_t>(result);
    return true;
}

bool parseBoundedInt(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    const int parsed = std::atoi(text.c_str());
    if (parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    int w = 0, h = 0;
    if (!parseBoundedInt(text.substr(0, x), 1, 16384, w) || !parseBoundedInt(text.substr(x + 1), 1, 16384, h))
        return false;
    width = w;
    height = h;
    return true;
}

bool parseBpm(const std::string& text, double& bpm) {
    int points = 0;
    for (char c : text) {
        if (c == '.') points++;
        else if (c < '0' || c > '9') return false;
    }
    if (text.empty() || text == "." || points > 1 || text.size() > 12) return false;
    const double value = std::strtod(text.c_str(), nullptr);
    if (value <= 0 || value > 10000) return false;
    bpm = value;
    return true;
}
