#include "grammar.h"

#include <cctype>
#include <string_view>
#include <unordered_map>

#include "script/words.h"

static const KeywordRule kRules[] = {
    {"scene", OperandKind::Int, 1, false},      {"track", OperandKind::Int, 1, false},
    {"type", OperandKind::Int, 1, false},       {"sync", OperandKind::Int, 1, false},
    {"insync", OperandKind::Int, 0, false},     {"duration", OperandKind::Int, 1, false},
    {"object", OperandKind::Object, 1, true},   {"mask", OperandKind::Mask, 1, true},
    {"blendFunc", OperandKind::Int, 2, false},  {"opacity", OperandKind::Float, 1, true},
    {"color", OperandKind::Float, 3, true},     {"angle", OperandKind::Float, 1, true},
    {"rotate", OperandKind::Float, 3, true},    {"scale", OperandKind::Float, 3, true},
    {"translate", OperandKind::Float, 3, true}, {"move", OperandKind::Float, 2, true},
    {"blend", OperandKind::Int, 0, false},      {"envmap", OperandKind::Int, 0, false},
    {"wireframe", OperandKind::Int, 0, false},  {"center", OperandKind::Int, 0, false},
    {"reflect", OperandKind::Int, 0, false},    {"???", OperandKind::Int, 0, false},
    {"end", OperandKind::Int, 0, false},
};

const KeywordRule* keywordRule(const std::string& word) {
    static const std::unordered_map<std::string_view, const KeywordRule*> byWord = [] {
        std::unordered_map<std::string_view, const KeywordRule*> map;
        for (const KeywordRule& rule : kRules) map.emplace(rule.word, &rule);
        return map;
    }();
    const auto found = byWord.find(word);
    return found == byWord.end() ? nullptr : found->second;
}

std::vector<std::string> keywordList() {
    std::vector<std::string> words;
    for (const KeywordRule& rule : kRules) words.push_back(rule.word);
    return words;
}

static std::vector<Word> splitWords(const std::string& text) {
    std::vector<Word> words;
    size_t pos = 0, begin, end;
    while (nextWord(text, pos, begin, end)) {
        words.push_back({text.substr(begin, end - begin), words.size()});
        pos = end;
    }
    return words;
}

// Takes up to count operands from position at; counts the ones missing.
static void takeOperands(const std::vector<Word>& words, size_t& at, size_t count, Clause& clause) {
    for (size_t i = 0; i < count; i++) {
        if (at >= words.size()) {
            clause.missing += count - i;
            return;
        }
        clause.operands.push_back(words[at++]);
    }
}

StatementShape statementShape(const std::string& statement) {
    StatementShape shape;
    shape.words = splitWords(statement);
    size_t at = 1;
    while (at < shape.words.size()) {
        const Word& word = shape.words[at++];
        const KeywordRule* rule = keywordRule(word.text);
        if (!rule) {
            shape.stray.push_back(word);
            continue;
        }
        Clause clause{rule, word, {}, 0, false, 0};
        takeOperands(shape.words, at, size_t(rule->count), clause);
        clause.startCount = clause.operands.size();
        if (rule->animatable && at < shape.words.size() && shape.words[at].text == "to") {
            at++;
            clause.animated = true;
            takeOperands(shape.words, at, size_t(rule->count), clause);
        }
        shape.clauses.push_back(clause);
        if (std::string_view(rule->word) == "end") break;  // the parser reads nothing after it
    }
    return shape;
}

static bool digitsAt(const std::string& w, size_t& i) {
    const size_t from = i;
    while (i < w.size() && std::isdigit(static_cast<unsigned char>(w[i]))) i++;
    return i > from;
}

bool wholeInt(const std::string& word) {
    size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) i++;
    return digitsAt(word, i) && i == word.size();
}

bool wholeFloat(const std::string& word) {
    size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) i++;
    bool mantissa = digitsAt(word, i);
    if (i < word.size() && word[i] == '.') {
        i++;
        mantissa = digitsAt(word, i) || mantissa;
    }
    if (!mantissa) return false;
    if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        i++;
        if (i < word.size() && (word[i] == '+' || word[i] == '-')) i++;
        if (!digitsAt(word, i)) return false;
    }
    return i == word.size();
}
