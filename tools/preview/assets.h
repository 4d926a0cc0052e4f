// The textures and models of data/ in the engine's tables, kept as a fresh
// start would have loaded them while files change under the preview.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

class PreviewAssets {
public:
    // Loads every texture and model of data/ as the player's scan does, and
    // drops those whose files are gone. True when the tables changed.
    bool loadAll();
    // Loads the named files of data/ again, or drops them from their tables
    // when they are gone or no longer assets. A JPEG that cannot be loaded
    // keeps its last good version and is listed in problems(), as is what a
    // load warns of (a picture read only in part, a model cut short). False
    // when the tables are as they were: none of the files is a texture or
    // model or was one. Time in proportion to the files of data/ (n log n).
    bool reload(const std::set<std::string>& names);

    // What is wrong with the files of data/, by name: korvane-check's lines
    // ("data/NAME: error: ...", "data/NAME: warning: ...").
    const std::map<std::string, std::vector<std::string>>& problems() const { return problems_; }

private:
    std::map<std::string, std::vector<std::string>> problems_;
};

extern PreviewAssets assets;
