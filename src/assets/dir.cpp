// The data directory scan: every asset enters the show here, once, at start-up.
#include <algorithm>
#include <string>

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
    // Each music file would replace the one before, so only the last can
    // play: it alone is opened (opening the audio device takes a while).
    for (const std::string& name : dataNames()) {
        const AssetKind kind = scannedKind(name);
        std::string error;
        if (kind != AssetKind::Music && !loadAsset(name, kind, error))
            engine.fail(kDataPrefix + name + ": " + error);
    }
    const std::string music = showMusicPath();
    if (!music.empty()) sound.init(music.c_str());
}
