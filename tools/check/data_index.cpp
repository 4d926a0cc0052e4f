#include "data_index.h"

#include "assets/listing.h"
#include "shell/init.h"

namespace {

const char* loadRule(AssetKind kind) {
    return kind == AssetKind::Model ? "models ending in \"3ds\" (lower case)"
                                    : "images ending in \"jpg\" or \"JPG\"";
}

}  // namespace

void DataIndex::scan() {
    files_.clear();
    for (const std::string& name : dataNames()) {
        const AssetKind kind = assetKind(std::string(kDataPrefix) + name);
        const bool loaded = kind != AssetKind::None && isRegularFile(std::string(kDataPrefix) + name);
        files_.push_back({name, kind, loaded});
    }
    index();
}

void DataIndex::index() {
    byName_.clear();
    byLower_.clear();
    byLowerStem_.clear();
    std::vector<std::string> textures, models;
    for (size_t i = 0; i < files_.size(); i++) {
        const DataFile& f = files_[i];
        byName_.emplace(f.name, i);
        byLower_[lowerAscii(f.name)].push_back(i);
        byLowerStem_[lowerAscii(stemOf(f.name))].push_back(i);
        if (f.loaded && f.kind == AssetKind::Texture) textures.push_back(f.name);
        if (f.loaded && f.kind == AssetKind::Model) models.push_back(f.name);
    }
    textures_ = std::make_unique<NearWords>(std::move(textures));
    models_ = std::make_unique<NearWords>(std::move(models));
}

bool DataIndex::has(const std::string& name, AssetKind kind) const {
    const auto found = byName_.find(name);
    if (found == byName_.end()) return false;
    const DataFile& f = files_[found->second];
    return f.loaded && f.kind == kind;
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

std::string DataIndex::hint(const std::string& name, AssetKind kind) const {
    if (const auto found = byLower_.find(lowerAscii(name)); found != byLower_.end())
        for (size_t i : found->second) {
            const DataFile& f = files_[i];
            if (f.name != name && f.loaded && f.kind == kind)
                return "data has '" + f.name + "' (names are case-sensitive)";
        }
    if (const auto found = byName_.find(name); found != byName_.end() && !files_[found->second].loaded)
        return "data has '" + name + "' but the player does not load it: it loads only " + loadRule(kind);
    // The same name with another ending: sky.jpeg for sky.jpg, ship.3DS for ship.3ds.
    if (const auto found = byLowerStem_.find(lowerAscii(stemOf(name))); found != byLowerStem_.end())
        for (size_t i : found->second)
            if (!files_[i].loaded)
                return "data has '" + files_[i].name + "', which the player does not load: it loads only " + loadRule(kind);
    const std::string near = (kind == AssetKind::Model ? models_ : textures_)->nearest(name);
    if (!near.empty()) return "did you mean '" + near + "'?";
    return {};
}
