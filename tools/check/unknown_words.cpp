#include "unknown_words.h"

namespace {

bool endsWith(const std::string& word, const char* ending) {
    const size_t n = std::char_traits<char>::length(ending);
    return word.size() > n && word.compare(word.size() - n, n, ending) == 0;
}

bool looksLikeOperand(const std::string& word) {
    return word == "to" || wholeFloat(word) || endsWith(word, ".jpg") || endsWith(word, ".JPG") ||
           endsWith(word, ".3ds") || endsWith(word, ".3DS");
}

}  // namespace

std::vector<UnknownWord> unknownWords(const StatementShape& shape) {
    std::vector<UnknownWord> words;
    for (const Word& w : shape.stray) {
        const bool follows = !words.empty() && w.index == (words.back().operands.empty() ? words.back().word.index
                                                                                          : words.back().operands.back().index) + 1;
        const bool headed = follows && !looksLikeOperand(words.back().word.text);
        if (headed && looksLikeOperand(w.text))
            words.back().operands.push_back(w);
        else
            words.push_back({w, {}});
    }
    return words;
}

std::string operandsIgnored(const UnknownWord& word) {
    if (word.operands.empty()) return {};
    std::string list;
    for (const Word& w : word.operands) list += (list.empty() ? "" : " ") + w.text;
    return std::string(", and so ") + (word.operands.size() > 1 ? "are its operands '" : "is its operand '") + list + "'";
}
