#include "nearest.h"

#include <algorithm>
#include <cctype>

size_t editDistance(const std::string& a, const std::string& b) {
    // One row of the table at a time.
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++) row[j] = j;
    for (size_t i = 1; i <= a.size(); i++) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); j++) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

static size_t allowedDistance(const std::string& word) {
    if (word.size() <= 4) return 1;
    if (word.size() <= 8) return 2;
    return 3;
}

std::string nearestWord(const std::string& word, const std::vector<std::string>& candidates) {
    for (const std::string& c : candidates)
        if (sameIgnoringCase(word, c)) return c;
    std::string best;
    size_t bestDistance = allowedDistance(word) + 1;
    for (const std::string& c : candidates) {
        // Words far apart in length cannot be near; skip the table for them.
        const size_t gap = c.size() > word.size() ? c.size() - word.size() : word.size() - c.size();
        if (gap >= bestDistance) continue;
        const size_t d = editDistance(word, c);
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    return best;
}
