// The music of data/: which file plays, whether SDL_mixer opens it, and
// music files the scan passes over.
#include <SDL/SDL_mixer.h>  // Required for: Mix_GetError

#include <algorithm>
#include <cctype>
#include <string>

#include "checks.h"
#include "mp3_sniff.h"
#include "shell/init.h"
#include "shell/music.h"

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool endsWithMp3(const std::string& name) {
    return name.size() >= 3 && lowerCase(name.substr(name.size() - 3)) == "mp3";
}

// Endings of sound files that authors hand the player: the four it plays in
// a case it passes over, and other formats SDL_mixer could decode for it.
const char* const kSoundEndings[] = {".mp3", ".ogg", ".xm",  ".it",   ".s3m", ".mod", ".wav", ".flac", ".mp2",
                                     ".oga", ".opus", ".mid", ".midi", ".aac", ".m4a", ".wma", ".aif", ".aiff"};

}  // namespace

void checkMusic(MusicSystem* system, const DataFile& f, Findings& findings) {
    if (!system) return;  // no audio device even of the dummy kind: nothing to learn
    const std::string path = std::string(kDataPrefix) + f.name;
    MusicStream* stream = musicOpenStream(system, path.c_str());
    if (!stream) {
        findings.add(f.name, 0, Severity::Error, std::string("SDL_mixer cannot open it (") + Mix_GetError() + "); the show is silent");
        return;
    }
    musicStreamRelease(stream);
    // SDL_mixer takes any file named .mp3; look for MPEG audio frames ourselves.
    if (endsWithMp3(f.name) && !looksLikeMp3(path))
        findings.add(f.name, 0, Severity::Warning, "no MPEG audio frames at its start: it may play as silence or noise");
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
