// The music of data/: which file plays, whether the player's decoder plays
// it, and music files the scan passes over.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "assets/plainfile.h"
#include "checks.h"
#include "shell/init.h"
#include "shell/music_decoder.h"

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Endings of sound files that authors hand the player: the four it plays in
// a case it passes over, and other formats its decoder could have played.
const char* const kSoundEndings[] = {".mp3", ".ogg", ".xm",  ".it",   ".s3m", ".mod", ".wav", ".flac", ".mp2",
                                     ".oga", ".opus", ".mid", ".midi", ".aac", ".m4a", ".wma", ".aif", ".aiff"};

}  // namespace

void checkMusic(const DataFile& f, Findings& findings) {
    const std::string path = std::string(kDataPrefix) + f.name;
    PlainOpen opened;
    std::string error;
    const int fd = openPlainFile(path.c_str(), opened, error);
    if (fd >= 0) {
        ::close(fd);
    } else if (opened != PlainOpen::Failed) {
        // Gone or replaced since the listing: passed over as the listing would.
        if (opened == PlainOpen::NotPlain) findings.add(f.name, 0, Severity::Warning, kPassedOver);
        return;
    }
    const std::string why = musicProblem(path);
    if (!why.empty()) findings.add(f.name, 0, Severity::Error, why + "; the show is silent");
}

void checkMusicCount(const DataIndex& data, Findings& findings) {
    const std::vector<std::string> music = data.music();
    for (size_t i = 0; i + 1 < music.size(); i++)
        findings.add(music[i], 0, Severity::Warning,
                     "several music files: only '" + music.back() + "', the last in byte order, plays");
}

bool checkUnplayedMusic(const DataFile& f, Findings& findings) {
    const size_t dot = f.name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string ending = lowerCase(f.name.substr(dot));
    if (std::find(std::begin(kSoundEndings), std::end(kSoundEndings), ending) == std::end(kSoundEndings)) return false;
    findings.add(f.name, 0, Severity::Warning,
                 "music the player does not play: it plays only files ending in mp3, ogg, .xm or .it, "
                 "all in lower case or all in upper case");
    return true;
}
