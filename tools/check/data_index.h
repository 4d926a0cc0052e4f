// The files of data/ as the player's scan sees them, and hints for names
// that a script asks for but the scan does not load.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "assets/dir.h"
#include "nearest.h"

struct DataFile {
    std::string name;
    AssetKind kind;  // by the scan's rule; None for files it passes over
    bool loaded;     // a plain file of a kind the scan loads
};

class DataIndex {
public:
    DataIndex() { index(); }
    // A listing made elsewhere, in the scan's order.
    explicit DataIndex(std::vector<DataFile> files) : files_(std::move(files)) { index(); }
    // Lists data/ of the working directory with the scan's own functions.
    void scan();

    const std::vector<DataFile>& files() const { return files_; }
    // Whether the scan loads a file of this kind under exactly this name.
    bool has(const std::string& name, AssetKind kind) const;
    // The music files the scan opens, in its order: the last one plays.
    std::vector<std::string> music() const;
    // Why name is not found and what the author may have meant: a file that
    // differs only in case, one with an ending the scan ignores, or a near
    // name of the wanted kind. Empty when there is nothing to say.
    std::string hint(const std::string& name, AssetKind kind) const;

private:
    void index();

    std::vector<DataFile> files_;
    // Files by name, by name in lower case, by lower-case name without its ending.
    std::unordered_map<std::string, size_t> byName_;
    std::unordered_map<std::string, std::vector<size_t>> byLower_, byLowerStem_;
    std::unique_ptr<NearWords> textures_, models_;
};

// The name without its last ".ending", if any.
std::string stemOf(const std::string& name);
