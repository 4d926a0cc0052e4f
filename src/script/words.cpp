#include "script/words.h"

#include <locale.h>  // Required for: newlocale, the C locale to read numbers in
#include <stdlib.h>  // Required for: strtof_l, strtod_l

#include <limits>
#include <string>
#include <type_traits>

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

// The C locale, whatever locale the program runs in: its decimal separator
// is the point. Made once; null only when the C library cannot make it.
static locale_t cLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

// The number at the start of text that numberLength measured, rounded once
// from its decimal digits to T (float or double); out of range it is
// infinity or zero. (Not std::from_chars: the web build's library has no
// floating-point one.)
template <typename T> static T convert(const char* text, size_t length) {
    const std::string number(text, length);  // the digits alone, ended by a NUL
    const locale_t c = cLocale();
    if constexpr (std::is_same<T, float>::value)
        return c ? strtof_l(number.c_str(), nullptr, c) : strtof(number.c_str(), nullptr);
    else
        return c ? strtod_l(number.c_str(), nullptr, c) : strtod(number.c_str(), nullptr);
}

// A sign, then the longest number: false when the word does not begin with one.
template <typename T> static bool readNumber(const std::string& word, T& value) {
    size_t start = 0;
    bool negative = false;
    if (!word.empty() && (word[0] == '+' || word[0] == '-')) negative = word[start++] == '-';
    const size_t length = numberLength(word.data() + start, word.size() - start);
    if (length == 0) return false;
    const T result = convert<T>(word.data() + start, length);
    value = negative ? -result : result;
    return true;
}

bool readDouble(const std::string& word, double& value) { return readNumber(word, value); }

// Straight from the text to float: through a double, a value near a tie
// between two floats would be rounded twice.
bool readFloat(const std::string& word, float& value) { return readNumber(word, value); }
