// Suggestions for misspelt words: the nearest of a set of known words.
#pragma once

#include <string>
#include <vector>

// Levenshtein distance: insertions, deletions and substitutions of bytes.
size_t editDistance(const std::string& a, const std::string& b);

// The candidate a typo of word most likely stands for: a candidate equal to
// it but for case, else the nearest one within a distance that grows with
// the word's length (1 up to 4 bytes, 2 up to 8, then 3). Empty when none
// is that near.
std::string nearestWord(const std::string& word, const std::vector<std::string>& candidates);

// Whether a and b differ only in the case of ASCII letters.
bool sameIgnoringCase(const std::string& a, const std::string& b);
