// Reading command lines: the words of the arguments and the values the
// tools' options take.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The arguments after the program name, with "--name=value" split into
// "--name" "value".
class Arguments {
public:
    Arguments(int argc, char** argv);
    bool done() const { return next_ >= words_.size(); }
    std::string take() { return words_[next_++]; }

private:
    std::vector<std::string> words_;
    size_t next_ = 0;
};

// A show time as the script writes one: milliseconds, or seconds when
// written with a decimal point. Only digits and at most one point.
bool parseShowTime(const std::string& text, int32_t& ms);
// A positive number of beats a minute up to 10000, with at most one decimal point.
bool parseBpm(const std::string& text, double& bpm);
// "WxH", each side from 1 to 16384.
bool parseSize(const std::string& text, int& width, int& height);
// Decimal digits alone, from low to high.
bool parseBoundedInt(const std::string& text, int low, int high, int& value);
