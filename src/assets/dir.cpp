// The data directory scan: every asset enters the show here, once, at start-up.
#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "assets/decode_ahead.h"
#include "assets/dir.h"
#include "assets/imageloader.h"
#include "assets/listing.h"
#include "assets/objectloader.h"
#include "shell/engine.h"
#include "shell/init.h"
#include "shell/sound.h"

AssetKind assetKind(const std::string& path) {
    if (path.size() < 3) return AssetKind::None;
    const std::string ext = path.substr(path.size() - 3);
    if (ext == "jpg" || ext == "JPG") return AssetKind::Texture;
    if (ext == "3ds") return AssetKind::Model;
    if (ext == "mp3" || ext == "MP3" || ext == "ogg" || ext == "OGG" || ext == ".xm" ||
        ext == ".XM" || ext == ".it" || ext == ".IT")
        return AssetKind::Music;
    return AssetKind::None;
}

std::vector<std::string> dataNames() {
    std::vector<std::string> names = listDirectory(kDataDir);
    // std::string compares bytes as unsigned values, prefixes first.
    std::sort(names.begin(), names.end());
    return names;
}

AssetKind scannedKind(const std::string& name) {
    const std::string path = kDataPrefix + name;
    const AssetKind kind = assetKind(path);
    // Opening a pipe would block.
    return kind != AssetKind::None && isRegularFile(path) ? kind : AssetKind::None;
}

bool loadAsset(const std::string& name, AssetKind kind, std::string& error, DecodeAhead* ahead, AssetNotes* notes) {
    const std::string path = kDataPrefix + name;
    if (kind == AssetKind::Texture) {
        std::optional<DecodedTexture> decoded = ahead ? ahead->take(path) : std::nullopt;
        std::string* warning = notes ? &notes->pictureWarning : nullptr;
        const TextureLoad load = decoded ? loadDecodedTexture(path, std::move(*decoded), &error, warning)
                                         : loadTexture(path, true, false, &error, warning);
        // A file gone since the listing is passed over.
        return load == TextureLoad::Loaded || load == TextureLoad::Missing;
    }
    if (kind == AssetKind::Model) Load3DS(path, notes ? &notes->model : nullptr);
    return true;
}

// Every entry of the data directory in scan order, with the kind it loads as.
static std::vector<std::pair<std::string, AssetKind>> scanData() {
    std::vector<std::pair<std::string, AssetKind>> entries;
    for (const std::string& name : dataNames()) entries.emplace_back(name, scannedKind(name));
    return entries;
}

static std::string lastMusic(const std::vector<std::pair<std::string, AssetKind>>& entries) {
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        if (entry->second == AssetKind::Music) return kDataPrefix + entry->first;
    return "";
}

std::string showMusicPath() { return lastMusic(scanData()); }

void CInit::dir() {
    const std::vector<std::pair<std::string, AssetKind>> assets = scanData();
    std::vector<std::string> pictures;
    for (const auto& [name, kind] : assets)
        if (kind == AssetKind::Texture) pictures.push_back(kDataPrefix + name);
    // The pictures are decoded on a second thread while this one makes
    // textures of the ones before.
    std::optional<DecodeAhead> ahead;
    ahead.emplace(std::move(pictures), largestTextureSide());
    // Each music file would replace the one before, so only the last can
    // play: it alone is opened (opening the audio device takes a while).
    for (const auto& [name, kind] : assets) {
        std::string error;
        if (kind != AssetKind::Music && !loadAsset(name, kind, error, &*ahead)) {
            ahead.reset();
            engine.fail(kDataPrefix + name + ": " + error);
        }
    }
    ahead.reset();
    const std::string music = lastMusic(assets);
    if (!music.empty()) sound.init(music.c_str());
}
