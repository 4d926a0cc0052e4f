#include "show_files.h"

#include "assets/dir.h"
#include "script/script.h"
#include "shell/init.h"

// A browser names files by Unicode text: a name that is not UTF-8 has no name there.
static bool validUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > s.size()) return false;
        for (size_t k = 1; k < length; k++)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return false;
        i += length;
    }
    return true;
}

bool listShowFiles(ShowFiles& show, std::string& why) {
    einit.defaults();
    if (!script.init(kScriptPath, &why)) return false;
    // The player plays no music when the script turns the sound off.
    show.music = einit.soundOn ? showMusicPath() : "";
    for (const std::string& name : dataNames()) {
        const std::string path = kDataPrefix + name;
        const AssetKind kind = scannedKind(name);
        const bool needed = path == kScriptPath || kind == AssetKind::Texture || kind == AssetKind::Model ||
                            (kind == AssetKind::Music && path == show.music);
        if (!needed) continue;
        if (!validUtf8(name)) {
            show.warnings.push_back(path + ": its name is not UTF-8 text, which a browser cannot name; the page "
                                           "plays the show without it (rename it to play it there)");
            if (path == show.music) show.music.clear();
            continue;
        }
        show.files.push_back(path);
    }
    return true;
}
