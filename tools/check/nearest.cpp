#include "nearest.h"

#include <algorithm>
#include <cctype>

namespace {

// About a tenth of a second of table cells.
const size_t kWorkBound = size_t(1) << 25;

size_t allowedDistance(const std::string& word) {
    if (word.size() <= 4) return 1;
    if (word.size() <= 8) return 2;
    return 3;
}

}  // namespace

std::string lowerAscii(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

size_t distanceWithin(const std::string& a, const std::string& b, size_t limit, size_t& work) {
    const size_t n = a.size(), m = b.size(), far = limit + 1;
    if ((n > m ? n - m : m - n) > limit) return far;
    // Two rows of the table; cells outside the band stay "far".
    std::vector<size_t> above(m + 1, far), row(m + 1, far);
    for (size_t j = 0; j <= std::min(m, limit); j++) above[j] = j;
    work += m + 1;
    for (size_t i = 1; i <= n; i++) {
        const size_t from = i > limit ? i - limit : 1, to = std::min(m, i + limit);
        row[from - 1] = from == 1 && i <= limit ? i : far;
        size_t least = row[from - 1];
        for (size_t j = from; j <= to; j++) {
            const size_t change = above[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            row[j] = std::min({change, above[j] + 1, row[j - 1] + 1, far});
            least = std::min(least, row[j]);
        }
        if (to < m) row[to + 1] = far;
        work += to + 1 - from;
        if (least > limit) return far;
        std::swap(above, row);
    }
    return std::min(above[m], far);
}

NearWords::NearWords(std::vector<std::string> candidates) : words_(std::move(candidates)) {
    for (size_t i = 0; i < words_.size(); i++) {
        byLower_.emplace(lowerAscii(words_[i]), i);
        byLength_[words_[i].size()].push_back(i);
    }
}

std::string NearWords::nearest(const std::string& word) const {
    const auto known = answers_.find(word);
    if (known != answers_.end()) return known->second;
    std::string answer = search(word);
    answers_.emplace(word, answer);
    return answer;
}

std::string NearWords::search(const std::string& word) const {
    const auto same = byLower_.find(lowerAscii(word));
    if (same != byLower_.end()) return words_[same->second];
    const size_t allowed = allowedDistance(word);
    size_t best = allowed + 1, bestIndex = words_.size();
    const size_t shortest = word.size() > allowed ? word.size() - allowed : 0;
    for (auto length = byLength_.lower_bound(shortest);
         length != byLength_.end() && length->first <= word.size() + allowed; ++length)
        for (size_t i : length->second) {
            if (work_ > kWorkBound) break;
            work_++;
            const size_t limit = std::min(best, allowed);
            const size_t d = distanceWithin(word, words_[i], limit, work_);
            if (d <= limit && (d < best || i < bestIndex)) {
                best = d;
                bestIndex = i;
            }
        }
    return bestIndex < words_.size() ? words_[bestIndex] : std::string();
}
