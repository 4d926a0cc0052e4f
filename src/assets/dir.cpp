// The data directory scan: every asset enters the show here, once, at start-up.
#include <algorithm>
#include <string>

#include "assets/imageloader.h"
#include "assets/listing.h"
#include "assets/objectloader.h"
#include "shell/engine.h"
#include "shell/init.h"
#include "shell/sound.h"

enum class AssetKind { Texture, Model, Music, None };

// By the last three characters of the path, byte for byte: "jpg" needs no dot, ".xm" does.
static AssetKind kindOf(const std::string& path) {
    const std::string ext = path.substr(path.size() - 3);
    if (ext == "jpg" || ext == "JPG") return AssetKind::Texture;
    if (ext == "3ds") return AssetKind::Model;
    if (ext == "mp3" || ext == "MP3" || ext == "ogg" || ext == "OGG" || ext == ".xm" ||
        ext == ".XM" || ext == ".it" || ext == ".IT")
        return AssetKind::Music;
    return AssetKind::None;
}

void CInit::dir() {
    std::vector<std::string> names = listDirectory(kDataDir);
    // std::string compares bytes as unsigned values, prefixes first.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = kDataPrefix + name;
        const AssetKind kind = kindOf(path);
        // Only plain files reach a loader: a directory named x.jpg is passed over,
        // and so is a pipe, which would block the open.
        if (kind == AssetKind::None || !isRegularFile(path)) continue;
        if (kind == AssetKind::Texture) {
            std::string error;
            if (loadTexture(path, true, false, &error) == TextureLoad::Corrupt) engine.fail(path + ": " + error);
        } else if (kind == AssetKind::Model) {
            Load3DS(path);
        } else {
            sound.init(path.c_str());
        }
    }
}
