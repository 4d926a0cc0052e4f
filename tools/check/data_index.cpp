#include "data_index.h"

#include "assets/listing.h"
#include "nearest.h"
#include "shell/init.h"

void DataIndex::scan() {
    files_.clear();
    for (const std::string& name : dataNames()) {
        const AssetKind kind = assetKind(std::string(kDataPrefix) + name);
        const bool loaded = kind != AssetKind::None && isRegularFile(std::string(kDataPrefix) + name);
        files_.push_back({name, kind, loaded});
    }
}

bool DataIndex::has(const std::string& name, AssetKind kind) const {
    for (const DataFile& f : files_)
        if (f.loaded && f.kind == kind && f.name == name) return true;
    return false;
}

std::vector<std::string> DataIndex::music() const {
    std::vector<std::string> names;
    for (const DataFile& f : files_)
        if (f.loaded && f.kind == AssetKind::Music) names.push_back(f.name);
    return names;
}

std::string stemOf(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

static const char* loadRule(AssetKind kind) {
    return kind == AssetKind::Model ? "models ending in \"3ds\" (lower case)"
                                    : "images ending in \"jpg\" or \"JPG\"";
}

std::string DataIndex::hint(const std::string& name, AssetKind kind) const {
    for (const DataFile& f : files_)
        if (f.name != name && f.loaded && f.kind == kind && sameIgnoringCase(f.name, name))
            return "data has '" + f.name + "' (names are case-sensitive)";
    for (const DataFile& f : files_)
        if (f.name == name && !f.loaded)
            return "data has '" + name + "' but the player does not load it: it loads only " + loadRule(kind);
    // The same name with another ending: sky.jpeg for sky.jpg, ship.3DS for ship.3ds.
    for (const DataFile& f : files_)
        if (!f.loaded && sameIgnoringCase(stemOf(f.name), stemOf(name)))
            return "data has '" + f.name + "', which the player does not load: it loads only " + loadRule(kind);
    std::vector<std::string> candidates;
    for (const DataFile& f : files_)
        if (f.loaded && f.kind == kind) candidates.push_back(f.name);
    const std::string near = nearestWord(name, candidates);
    if (!near.empty()) return "did you mean '" + near + "'?";
    return {};
}
