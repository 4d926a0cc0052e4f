// Suggestions for misspelt words: the nearest of a set of known words.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

// Whether a and b differ only in the case of ASCII letters.
bool sameIgnoringCase(const std::string& a, const std::string& b);
// The text with its ASCII letters in lower case.
std::string lowerAscii(const std::string& text);

// The Levenshtein distance of a and b (insertions, deletions and
// substitutions of bytes) when it is at most limit, else limit + 1. Only the
// band of the table within limit of its diagonal is worked out; work grows
// by the cells it took.
size_t distanceWithin(const std::string& a, const std::string& b, size_t limit, size_t& work);

// The candidate a typo of a word most likely stands for: the first one
// equal to it but for case, else the nearest within a distance that grows
// with the word's length (1 up to 4 bytes, 2 up to 8, then 3), the first of
// equally near ones. The candidates are indexed once by length and case,
// each word is looked up once, and the work of all searches together is
// bounded: a show of thousands of unknown words and thousands of names
// stays fast, and past the bound the suggestions stop.
class NearWords {
public:
    explicit NearWords(std::vector<std::string> candidates);
    // Empty when no candidate is that near.
    std::string nearest(const std::string& word) const;

private:
    std::string search(const std::string& word) const;

    std::vector<std::string> words_;
    std::unordered_map<std::string, size_t> byLower_;  // the first candidate of each spelling
    std::map<size_t, std::vector<size_t>> byLength_;   // candidates of each length, in order
    mutable size_t work_ = 0;
    mutable std::unordered_map<std::string, std::string> answers_;
};
