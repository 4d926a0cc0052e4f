// The words of a statement that the parser passes over, as the author wrote
// them: a misspelt keyword with the operands after it is one mistake.
#pragma once

#include <string>
#include <vector>

#include "grammar.h"

struct UnknownWord {
    Word word;
    std::vector<Word> operands;  // numbers, names and "to" right after it
};

// The stray words of shape, each word that is no number or name heading the
// numbers, names and "to" that follow it; a stray number with no such word
// before it stands alone.
std::vector<UnknownWord> unknownWords(const StatementShape& shape);

// ", and so are its operands '1 0 0'", or nothing for a word without operands.
std::string operandsIgnored(const UnknownWord& word);
