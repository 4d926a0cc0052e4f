// The checks of a loaded show. Each adds what it finds to findings.
#pragma once

#include <cstdint>
#include <string>

#include "data_index.h"
#include "findings.h"
#include "load_show.h"
#include "source_map.h"

struct CheckInput {
    const LoadedShow& show;
    const SourceMap& source;
    const DataIndex& data;
};

// The option part: "@sync", runaway definitions, option words, sync lines
// and the marks of the sync lists that scenes follow.
void checkOptions(const CheckInput& in, Findings& findings);
// The words of every statement: keywords, operands and names.
void checkStatements(const CheckInput& in, Findings& findings);
// Times: order, spans, the end, sync list numbers.
void checkTiming(const CheckInput& in, Findings& findings);
// The files of data/: decoding, models, music.
void checkAssets(const DataIndex& data, Findings& findings);

// Every check of a loaded show, those of the files of data/ when assets is
// set, reading data/ of the working directory.
Findings checkShow(const LoadedShow& show, bool assets);

struct StatementShape;
struct Word;
// The physical line a word of a statement was written on: a continued
// part, or the line that used the definition holding it.
Location wordLocation(const CheckInput& in, const Statement& s, const StatementShape& shape, const Word& w);

// Milliseconds as seconds for messages: 2500 gives "2.5 s".
std::string seconds(int64_t ms);
