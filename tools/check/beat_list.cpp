// korvane-check --beats: the beats found in the show's music, as times the
// script can take.
#include <cmath>

#include "beat_grid.h"
#include "checks.h"
#include "script_time.h"

void listBeats(const BeatGrid& beats, const std::string& music, std::FILE* out) {
    if (beats.empty()) {
        std::fprintf(out, "tempo: none found in %s (too few beats to tell one)\n", music.c_str());
        return;
    }
    std::fprintf(out, "tempo: %.2f BPM%s\n", beats.bpm(),
                 beats.isSteady() ? "" : " (it changes: the beats below are as found, not a steady grid)");
    std::fprintf(out, "first beat: %s\n", scriptSeconds(std::llround(beats.first())).c_str());
    if (beats.size() == BeatGrid::kEndless) return;  // a tempo given, not found
    for (int64_t k = 0; k < beats.size(); k++) std::fprintf(out, "%s\n", scriptSeconds(std::llround(beats.at(k))).c_str());
}
