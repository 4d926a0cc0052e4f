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

// What the scan loads path as. Only plain files reach a loader: a directory
// named x.jpg is passed over, and so is a pipe, which would block the open.
static AssetKind scannedKind(const std::string& path) {
    const AssetKind kind = assetKind(path);
    return kind != AssetKind::None && isRegularFile(path) ? kind : AssetKind::None;
}

std::string showMusicPath() {
    const std::vector<std::string> names = dataNames();
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        const std::string path = kDataPrefix + *name;
        if (scannedKind(path) == AssetKind::Music) return path;
    }
    return "";
}

void CInit::dir() {
    // Each music file would replace the one before, so only the last can
    // play: it alone is opened (opening the audio device takes a while).
    std::string music;
    for (const std::string& name : dataNames()) {
        const std::string path = kDataPrefix + name;
        const AssetKind kind = scannedKind(path);
        if (kind == AssetKind::None) continue;
        if (kind == AssetKind::Texture) {
            std::string error;
            const TextureLoad load = loadTexture(path, true, false, &error);
            if (load != TextureLoad::Loaded && load != TextureLoad::Missing) engine.fail(path + ": " + error);
        } else if (kind == AssetKind::Model) {
            Load3DS(path);
        } else {
            music = path;
        }
    }
    if (!music.empty()) sound.init(music.c_str());
}
