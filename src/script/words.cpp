#include "script/words.h"

#include <charconv>
#include <cstdlib>
#include <limits>

bool nextWord(const std::string& text, size_t pos, size_t& begin, size_t& end) {
    while (pos < text.size() && isBlank(text[pos])) pos++;
    if (pos >= text.size()) return false;
    begin = pos;
    while (pos < text.size() && !isBlank(text[pos])) pos++;
    end = pos;
    return true;
}

static bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool readInt(const std::string& word, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
    if (i >= word.size() || !isDigit(word[i])) return false;
    int64_t magnitude = 0;
    const int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; i < word.size() && isDigit(word[i]); i++)
        if (magnitude <= limit) magnitude = magnitude * 10 + (word[i] - '0');
    if (magnitude > limit) magnitude = limit;
    int64_t result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int32_t>::max()) result = std::numeric_limits<int32_t>::max();
    value = static_cast<int32_t>(result);
    return true;
}

// Length of the longest number at the start of s: digits, an optional point
// and fraction (at least one digit in all), then an optional exponent.
static size_t numberLength(const char* s, size_t n) {
    size_t i = 0, digits = 0;
    while (i < n && isDigit(s[i])) i++, digits++;
    if (i < n && s[i] == '.') {
        i++;
        while (i < n && isDigit(s[i])) i++, digits++;
    }
    if (digits == 0) return 0;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-')) j++;
        if (j < n && isDigit(s[j])) {
            while (j < n && isDigit(s[j])) j++;
            i = j;
        }
    }
    return i;
}

bool readDouble(const std::string& word, double& value) {
    size_t start = 0;
    bool negative = false;
    if (!word.empty() && (word[0] == '+' || word[0] == '-')) negative = word[start++] == '-';
    const size_t length = numberLength(word.data() + start, word.size() - start);
    if (length == 0) return false;
    double result = 0;
    const char* first = word.data() + start;
    auto [ptr, ec] = std::from_chars(first, first + length, result);
    if (ec == std::errc::result_out_of_range)
        result = std::strtod(std::string(first, length).c_str(), nullptr);  // infinity or zero
    else if (ec != std::errc() || ptr != first + length)
        return false;
    value = negative ? -result : result;
    return true;
}

bool readFloat(const std::string& word, float& value) {
    double d;
    if (!readDouble(word, d)) return false;
    value = static_cast<float>(d);
    return true;
}
