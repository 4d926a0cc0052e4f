// The checks of a loaded show. Each adds what it finds to findings.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "data_index.h"
#include "findings.h"
#include "load_show.h"
#include "source_map.h"
#include "timeline.h"

class BeatGrid;

struct CheckInput {
    const LoadedShow& show;
    const SourceMap& source;
    const DataIndex& data;
    const BeatGrid* beats = nullptr;  // the music's beats, when known
};

// The option part: "@sync", runaway definitions, option words, sync lines
// and the marks of the sync lists that scenes follow.
void checkOptions(const CheckInput& in, Findings& findings);
// The words of every statement: keywords, operands and names.
void checkStatements(const CheckInput& in, Findings& findings);
// Scenes that sync marks copy and that are gone before a mark needs them.
void checkSyncTemplates(const CheckInput& in, const Timeline& timeline, Findings& findings);
// Sync lists whose marks, from a scene that follows one, run past the end.
void checkSyncMarksPastEnd(const CheckInput& in, const Timeline& timeline, Findings& findings);
// Scenes of one track that run at the same time.
void checkTrackOverlaps(const CheckInput& in, const Timeline& timeline, Findings& findings);
// Continuations into a comment, one finding each in place of the findings
// of the comment's words, and into the end marker. Runs after the checks of
// words and times.
void checkJoinedLines(const CheckInput& in, Findings& findings);
// The continuation into the end marker, when one dropped a line; or null.
const JoinedLine* droppedEnd(const LoadedShow& show);
// Lines whose '#' follows blanks: one finding each, in place of the
// findings of their words. Runs after every other check.
void checkIndentedComments(const CheckInput& in, Findings& findings);
// Objects of the other kind than their scene's type.
void checkSceneKinds(const CheckInput& in, Findings& findings);
// Start times and sync lengths a little off the beats, when beats are known.
void checkBeats(const CheckInput& in, Findings& findings);
// Times: order, spans, the end, sync list numbers.
void checkTiming(const CheckInput& in, Findings& findings);
// The models the scenes draw, by name: the line of the first scene that
// draws it without a 'mask' naming an image of data/ (which it would be
// drawn with instead of its own texture), or 0 when every scene has one.
// Models no scene draws are not listed.
using ModelUses = std::map<std::string, int>;
ModelUses modelUses(const CheckInput& in);
// The files of data/: decoding, models, music.
void checkAssets(const DataIndex& data, const ModelUses& models, Findings& findings);
// Said of a file of an asset's name that is no plain file (a directory, a
// pipe), also one that became so after the listing.
extern const char* const kPassedOver;
// korvane-check --models: one line per model of data/ (model_list.cpp).
void listModels(const DataIndex& data, std::FILE* out);
// korvane-check --beats: the tempo, the first beat and every beat of music,
// one a line, in seconds as the script writes them (beat_list.cpp).
void listBeats(const BeatGrid& beats, const std::string& music, std::FILE* out);
// One model (model_checks.cpp), and what its load reported.
void checkModel(const DataIndex& data, const ModelUses& models, const DataFile& f, Findings& findings);
void checkModelReport(const std::string& name, const Load3DSReport& report, Findings& findings);
// What the checker says of data/NAME from what the player's load of it found,
// for a tool that loads the file itself (the preview).
void checkLoadNotes(const std::string& name, AssetKind kind, const AssetNotes& notes, Findings& findings);
// The name of a model's own texture, without the padding of its field.
struct object_type;
std::string ownTextureName(const object_type& model);
// One music file, and the several of a show of which only one plays (music_checks.cpp).
void checkMusic(const DataFile& f, Findings& findings);
void checkMusicCount(const DataIndex& data, Findings& findings);
// A file that the scan passes over and that an author meant as music: false when it is none.
bool checkUnplayedMusic(const DataFile& f, Findings& findings);

// Every check of a loaded show, those of the files of data/ when assets is
// set, reading data/ of the working directory; against beats when given.
Findings checkShow(const LoadedShow& show, bool assets, const BeatGrid* beats = nullptr);
// Every check of the script, against the data given.
void checkScript(const CheckInput& in, Findings& findings);

struct StatementShape;
struct Word;
// The physical line a word of a statement was written on: a continued
// part, or the line that used the definition holding it.
Location wordLocation(const CheckInput& in, const Statement& s, const StatementShape& shape, const Word& w);

// The line the index-th word of an option line ("Default", "Sync") was written on.
int optionWordLine(const CheckInput& in, int line, const std::vector<std::string>& words, size_t index);

// Milliseconds as seconds for messages: 2500 gives "2.5 s".
std::string seconds(int64_t ms);
