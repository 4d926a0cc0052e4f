// The files of data/, read by the loaders the player uses: a JPEG that does
// not decode stops the player, a broken model draws wrongly, music that
// does not decode stays silent.
#include <cctype>
#include <cstdio>
#include <string>

#include "assets/imageloader.h"
#include "assets/jpegdecode.h"  // Required for: kLargestTextureSide
#include "assets/plainfile.h"
#include "checks.h"
#include "shell/init.h"

const char* const kPassedOver = "not a plain file: the player passes it over";

namespace {

std::string pathOf(const std::string& name) { return std::string(kDataPrefix) + name; }

std::string pixels(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

std::string partialPicture(const std::string& warning) {
    return "libjpeg reads it only in part (" + warning + "); the player shows what is missing in grey";
}

void checkImage(const DataFile& f, Findings& findings) {
    const std::string path = pathOf(f.name);
    PlainOpen opened;
    std::string why;
    if (std::FILE* file = openPlainStream(path.c_str(), opened, why)) {
        std::fclose(file);
    } else {
        // Gone or replaced since the listing: the player passes it over as the listing would.
        if (opened == PlainOpen::NotPlain) findings.add(f.name, 0, Severity::Warning, kPassedOver);
        if (opened == PlainOpen::Failed)
            findings.add(f.name, 0, Severity::Error, "cannot be read (" + why + "); the player stops at start-up");
        return;
    }
    tImageJPG image;
    std::string error, warning;
    if (!decodeJPG(path.c_str(), image, error, &warning)) {
        findings.add(f.name, 0, Severity::Error, "cannot be decoded (" + error + "); the player stops at start-up");
        return;
    }
    if (!warning.empty()) findings.add(f.name, 0, Severity::Warning, partialPicture(warning));
    // The decoder scales as the player's does, for the largest texture any driver gives it.
    if (image.sizeX != image.pictureX || image.sizeY != image.pictureY)
        findings.add(f.name, 0, Severity::Warning,
                     "picture of " + pixels(image.pictureX, image.pictureY) + " pixels is more than a texture holds (" +
                         std::to_string(kLargestTextureSide) + " in a side, " +
                         std::to_string(kLargestTexturePixels >> 20) + " megapixels); the player loads it at " +
                         pixels(image.sizeX, image.sizeY) +
                         " (less where the graphics driver's textures are smaller)");
}

// Files the scan passes over although they look like assets (wrong case or ending).
void checkIgnored(const DataFile& f, Findings& findings) {
    if (f.loaded || f.name == "script.txt") return;
    if (f.kind != AssetKind::None) {
        findings.add(f.name, 0, Severity::Warning, kPassedOver);
        return;
    }
    std::string lower = f.name;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string ending = lower.substr(lower.rfind('.') == std::string::npos ? lower.size() : lower.rfind('.'));
    if (ending == ".jpg" || ending == ".jpeg")
        findings.add(f.name, 0, Severity::Warning, "not loaded: the player loads images ending in \"jpg\" or \"JPG\"");
    else if (ending == ".3ds")
        findings.add(f.name, 0, Severity::Warning, "not loaded: the player loads models ending in \"3ds\" (lower case)");
    else
        checkUnplayedMusic(f, findings);
}

}  // namespace

void checkAssets(const DataIndex& data, const ModelUses& models, Findings& findings) {
    // Of several music files only the last plays: it alone is decoded, as the player does.
    const std::vector<std::string> music = data.music();
    const std::string playing = music.empty() ? std::string() : music.back();
    for (const DataFile& f : data.files()) {
        if (!f.loaded) {
            checkIgnored(f, findings);
            continue;
        }
        switch (f.kind) {
        case AssetKind::Texture: checkImage(f, findings); break;
        case AssetKind::Model: checkModel(data, models, f, findings); break;
        case AssetKind::Music:
            if (f.name == playing) checkMusic(f, findings);
            break;
        case AssetKind::None: break;
        }
    }
    checkMusicCount(data, findings);
}

void checkLoadNotes(const std::string& name, AssetKind kind, const AssetNotes& notes, Findings& findings) {
    if (kind == AssetKind::Texture && !notes.pictureWarning.empty())
        findings.add(name, 0, Severity::Warning, partialPicture(notes.pictureWarning));
    if (kind == AssetKind::Model) checkModelReport(name, notes.model, findings);
}
