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

bool loadAsset(const std::string& name, AssetKind kind, std::string& error) {
    const std::string path = kDataPrefix + name;
    if (kind == AssetKind::Texture) {
        // A file gone since the listing is passed over.
        const TextureLoad load = loadTexture(path, true, false, &error);
        return load == TextureLoad::Loaded || load == TextureLoad::Missing;
    }
    if (kind == AssetKind::Model) Load3DS(path);
    return true;
}

std::string showMusicPath() {
    const std::vector<std::string> names = dataNames();
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        if (scannedKind(*name) == AssetKind::Music) return kDataPrefix + *name;
    return "";
}

void CInit::dir() {
    std::vector<std::pair<std::string, AssetKind>> assets;
    std::vector<std::string> pictures;
    for (const std::string& name : dataNames()) {
        assets.emplace_back(name, scannedKind(name));
        if (assets.back().second == AssetKind::Texture) pictures.push_back(kDataPrefix + name);
    }
    // The pictures are decoded on a second thread while this one makes
    // textures of the ones before.
    std::optional<DecodeAhead> ahead;
    ahead.emplace(std::move(pictures), largestTextureSide());
    // Each music file would replace the one before, so only the last can
    // play: it alone is opened (opening the audio device takes a while).
    for (const auto& [name, kind] : assets) {
        std::string error;
        bool loaded = true;
        if (kind == AssetKind::Texture) {
            const std::string path = kDataPrefix + name;
            std::optional<DecodedTexture> decoded = ahead->take(path);
            const TextureLoad load = decoded ? loadDecodedTexture(path, std::move(*decoded), &error)
                                             : loadTexture(path, true, false, &error);
            loaded = load == TextureLoad::Loaded || load == TextureLoad::Missing;
        } else if (kind != AssetKind::Music) {
            loaded = loadAsset(name, kind, error);
        }
        if (!loaded) {
            ahead.reset();
            engine.fail(kDataPrefix + name + ": " + error);
        }
    }
    ahead.reset();
    const std::string music = showMusicPath();
    if (!music.empty()) sound.init(music.c_str());
}
