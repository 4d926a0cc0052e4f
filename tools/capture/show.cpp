#include "show.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "assets/dir.h"
#include "assets/listing.h"
#include "draw/camera.h"
#include "script/script.h"
#include "script/words.h"
#include "shell/init.h"
#include "shell/timer.h"
#include "timeline/effect.h"
#include "framing.h"

static bool hasEndWord(const std::string& statement) {
    size_t pos = 0, begin, end;
    bool first = true;  // the first word is the start time, never a keyword
    while (nextWord(statement, pos, begin, end)) {
        if (!first && statement.compare(begin, end - begin, "end") == 0) return true;
        first = false;
        pos = end;
    }
    return false;
}

std::optional<int32_t> findEndTime() {
    const size_t count = std::min(script.statements.size(), script.startTimes.size());
    for (size_t i = 0; i < count; i++)
        if (hasEndWord(script.statements[i])) return script.startTimes[i];
    return std::nullopt;
}

// The music the player would play, as an absolute path.
static std::string showMusic() {
    const std::string music = showMusicPath();
    if (music.empty()) return music;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return music;
    return std::string(cwd) + "/" + music;
}

bool readShow(const std::string& dir, int width, int height, ShowInfo& show, std::string& error) {
    if (::chdir(dir.c_str()) != 0) {
        error = "cannot enter " + dir + ": " + std::strerror(errno);
        return false;
    }
    einit.defaults();
    std::string why;
    if (!script.init(kScriptPath, &why)) {
        error = "cannot open " + dir + "/" + kScriptPath + ": " + why;
        return false;
    }
    // The requested size is the render size, so images are placed for it.
    if (width > 0) {
        einit.width = einit.modeWidth = width;
        einit.height = einit.modeHeight = height;
    }
    show.width = show.frameWidth = einit.width;
    show.height = show.frameHeight = einit.height;
    show.endTime = findEndTime();
    for (const JoinedLine& j : script.joinedLines)
        if (j.what == Joined::EndMarker) show.endDroppedAt = j.line;
    // A show that turned its sound off plays no music.
    show.music = einit.soundOn ? showMusic() : "";
    return true;
}

bool loadShow(const ShowInfo& show, OffscreenContext& context, std::string& error) {
    if (show.width < 1 || show.height < 1) {
        error = "the render size " + std::to_string(show.width) + "x" + std::to_string(show.height) +
                " is empty; give --size";
        return false;
    }
    std::string why;
    if (!context.create(show.frameWidth, show.frameHeight, &why)) {
        error = "no offscreen GL context of " + std::to_string(show.frameWidth) + "x" +
                std::to_string(show.frameHeight) + ": " + why;
        return false;
    }
    einit.opengl();
    if (show.framed) {
        const Framing f = frameLayout(show.width, show.height, show.frameWidth, show.frameHeight, show.fill);
        // GL would quietly shrink a larger view, distorting the picture.
        GLint most[2] = {0, 0};
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, most);
        if (f.width > most[0] || f.height > most[1]) {
            error = "--fill would draw the picture at " + std::to_string(f.width) + "x" + std::to_string(f.height) +
                    ", beyond the largest view of " + std::to_string(most[0]) + "x" + std::to_string(most[1]);
            return false;
        }
        effect.setOutputView(f.x, f.y, f.width, f.height, f.scale);
    }
    camera.init();
    einit.soundOn = false;  // no audio device: the video takes the music from its file
    einit.dir();
    timer.elapsed = 0;
    return true;
}
