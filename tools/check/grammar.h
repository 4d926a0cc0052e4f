// The scene statement grammar as the check reads it: which words are
// keywords, what operands they take, and how a statement falls into clauses.
// It follows the engine's parser word for word (operands by position,
// "to" by look-ahead) so that the check sees what the player will do.
#pragma once

#include <string>
#include <vector>

enum class OperandKind { Int, Float, Object, Mask };

struct KeywordRule {
    const char* word;
    OperandKind kind;
    int count;        // operands before "to"
    bool animatable;  // may be followed by "to" and count more operands
};

// The rule for a keyword, or null for a word the parser ignores.
const KeywordRule* keywordRule(const std::string& word);
std::vector<std::string> keywordList();

struct Word {
    std::string text;
    size_t index;  // position among the statement's words, from 0
};

struct Clause {
    const KeywordRule* rule;
    Word keyword;
    std::vector<Word> operands;     // start operands, then end operands
    size_t startCount = 0;          // how many of operands are start operands
    bool animated = false;          // a "to" followed
    size_t missing = 0;             // operands the statement ended before
};

struct StatementShape {
    std::vector<Word> words;     // every word of the statement
    std::vector<Clause> clauses;
    std::vector<Word> stray;     // words in keyword position that are no keyword
};

// Splits a statement into its words (the engine's tokenizer) and clauses.
// The first word, the start time, belongs to no clause.
StatementShape statementShape(const std::string& statement);

// Whether the whole word is a number of the kind (the parser reads only a
// leading number and ignores the rest).
bool wholeInt(const std::string& word);
bool wholeFloat(const std::string& word);
