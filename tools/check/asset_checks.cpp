// The files of data/, read by the loaders the player uses: a JPEG that does
// not decode stops the player, a broken model draws wrongly, music that
// SDL_mixer cannot open stays silent.
#include <SDL/SDL_mixer.h>  // Required for: Mix_GetError

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>  // Required for: strnlen, strerror
#include <string>

#include "assets/imageloader.h"
#include "assets/jpegdecode.h"  // Required for: kLargestTextureSide
#include "assets/objectloader.h"
#include "checks.h"
#include "mp3_sniff.h"
#include "shell/init.h"
#include "shell/music.h"

namespace {

std::string pathOf(const std::string& name) { return std::string(kDataPrefix) + name; }

std::string pixels(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

void checkImage(const DataFile& f, Findings& findings) {
    const std::string path = pathOf(f.name);
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
    } else {
        findings.add(f.name, 0, Severity::Error,
                     std::string("cannot be read (") + std::strerror(errno) + "); the player stops at start-up");
        return;
    }
    tImageJPG image;
    std::string error;
    if (!decodeJPG(path.c_str(), image, error)) {
        findings.add(f.name, 0, Severity::Error, "cannot be decoded (" + error + "); the player stops at start-up");
        return;
    }
    // The decoder scales as the player's does, for the largest texture any driver gives it.
    if (image.sizeX != image.pictureX || image.sizeY != image.pictureY)
        findings.add(f.name, 0, Severity::Warning,
                     "picture of " + pixels(image.pictureX, image.pictureY) + " pixels is more than a texture holds (" +
                         std::to_string(kLargestTextureSide) + " in a side, " +
                         std::to_string(kLargestTexturePixels >> 20) + " megapixels); the player loads it at " +
                         pixels(image.sizeX, image.sizeY) +
                         " (less where the graphics driver's textures are smaller)");
}

std::string textureHint(const DataIndex& data, const std::string& name) {
    const std::string hint = data.hint(name, AssetKind::Texture);
    return hint.empty() ? std::string() : "; " + hint;
}

void checkModel(const DataIndex& data, const DataFile& f, Findings& findings) {
    Load3DSReport report;
    if (!Load3DS(pathOf(f.name), &report)) {
        findings.add(f.name, 0, Severity::Error, "cannot be read");
        return;
    }
    auto error = [&](const std::string& m) { findings.add(f.name, 0, Severity::Error, m); };
    auto warning = [&](const std::string& m) { findings.add(f.name, 0, Severity::Warning, m); };
    if (report.walkStoppedEarly)
        error("the chunk walk stops early: a chunk length is below 6 or runs past the end of the file");
    if (report.indicesOutOfRange > 0)
        error(std::to_string(report.indicesOutOfRange) + " triangles name vertices the file does not have; they are not drawn");
    if (report.countsCut) warning("a count is larger than its chunk holds; the rest is cut off");
    if (report.nameTruncated) warning("a name has no end within 20 bytes; it is cut");
    if (report.mapcoordsMissing > 0)
        warning(std::to_string(report.mapcoordsMissing) + " vertex uses have no mapping coordinate");
    const object_type* model = getObject(getObjectNum(f.name));
    if (!model || !model->textureName[0]) return;
    const std::string texture(model->textureName, strnlen(model->textureName, sizeof model->textureName));
    if (!data.has(texture, AssetKind::Texture))
        warning("its texture '" + texture + "' is not an image in data; without a 'mask' it is drawn untextured" +
                textureHint(data, texture));
}

bool endsWithMp3(const std::string& name) {
    if (name.size() < 3) return false;
    std::string ending = name.substr(name.size() - 3);
    for (char& c : ending) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ending == "mp3";
}

void checkMusic(MusicSystem* system, const DataFile& f, Findings& findings) {
    if (!system) return;  // no audio device even of the dummy kind: nothing to learn
    MusicStream* stream = musicOpenStream(system, pathOf(f.name).c_str());
    if (!stream) {
        findings.add(f.name, 0, Severity::Error, std::string("SDL_mixer cannot open it (") + Mix_GetError() + "); the show is silent");
        return;
    }
    musicStreamRelease(stream);
    // SDL_mixer takes any file named .mp3; look for MPEG audio frames ourselves.
    if (endsWithMp3(f.name) && !looksLikeMp3(pathOf(f.name)))
        findings.add(f.name, 0, Severity::Warning, "no MPEG audio frames at its start: it may play as silence or noise");
}

void checkMusicCount(const DataIndex& data, Findings& findings) {
    const std::vector<std::string> music = data.music();
    for (size_t i = 0; i + 1 < music.size(); i++)
        findings.add(music[i], 0, Severity::Warning,
                     "several music files: only '" + music.back() + "', the last in byte order, plays");
}

// Files the scan passes over although they look like assets (wrong case or ending).
void checkIgnored(const DataFile& f, Findings& findings) {
    if (f.loaded || f.name == "script.txt") return;
    if (f.kind != AssetKind::None) {
        findings.add(f.name, 0, Severity::Warning, "not a plain file: the player passes it over");
        return;
    }
    std::string lower = f.name;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string ending = lower.substr(lower.rfind('.') == std::string::npos ? lower.size() : lower.rfind('.'));
    if (ending == ".jpg" || ending == ".jpeg")
        findings.add(f.name, 0, Severity::Warning, "not loaded: the player loads images ending in \"jpg\" or \"JPG\"");
    else if (ending == ".3ds")
        findings.add(f.name, 0, Severity::Warning, "not loaded: the player loads models ending in \"3ds\" (lower case)");
    else if (ending == ".mp3" || ending == ".ogg" || ending == ".xm" || ending == ".it")
        findings.add(f.name, 0, Severity::Warning,
                     "not loaded: music must end in mp3, MP3, ogg, OGG, .xm, .XM, .it or .IT");
}

}  // namespace

void checkAssets(const DataIndex& data, Findings& findings) {
    MusicSystem* system = data.music().empty() ? nullptr : musicSystemCreate();
    for (const DataFile& f : data.files()) {
        if (!f.loaded) {
            checkIgnored(f, findings);
            continue;
        }
        switch (f.kind) {
        case AssetKind::Texture: checkImage(f, findings); break;
        case AssetKind::Model: checkModel(data, f, findings); break;
        case AssetKind::Music: checkMusic(system, f, findings); break;
        case AssetKind::None: break;
        }
    }
    musicSystemRelease(system);
    checkMusicCount(data, findings);
}
