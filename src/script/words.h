// Reading words and numbers from script text: the one tokenizer of the
// loader, the option pass and the statement parser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Blank, tab, vertical tab, form feed, CR and LF separate words.
inline bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

// Finds the next word of text at or after pos. Returns false when there is
// none; otherwise sets begin and end (one past its last character).
bool nextWord(const std::string& text, size_t pos, size_t& begin, size_t& end);

// Reads a word as a decimal integer: optional sign, then the digits up to
// the first other character; values beyond 32 bits saturate. Returns false,
// leaving value unchanged, when the word does not begin with a number.
bool readInt(const std::string& word, int32_t& value);

// Reads the longest decimal floating-point number at the start of the word
// (sign, digits, point, fraction, exponent; C locale) and ignores the rest.
// Returns false, leaving value unchanged, when it does not begin with one.
bool readFloat(const std::string& word, float& value);
bool readDouble(const std::string& word, double& value);
