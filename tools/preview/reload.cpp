#include "reload.h"

#include <sys/mman.h>  // Required for: memfd_create
#include <unistd.h>

#include "assets.h"
#include "draw/rm_evil_bezier.h"
#include "script/readfile.h"
#include "script/script.h"
#include "shell/init.h"
#include "show.h"

Reloader reloader;

namespace {

// What the checker's load overwrites of the engine while a show plays.
struct EngineGlobals {
    CScript script = ::script;
    CBezier tube = scene1;
    CInit init = einit;

    void restore() {
        ::script = std::move(script);
        scene1 = tube;
        einit = init;
    }
};

}  // namespace

void Reloader::setRenderSize(int width, int height, bool chosen) {
    width_ = width;
    height_ = height;
    sizeChosen_ = chosen;
}

void Reloader::loadAll() { apply({}, true); }

// A file of the preview's own, in memory, holding the text of the version
// playing: seeks back read it again, and data/script.txt may by then hold an
// edit with errors.
static bool keepVersion(int& fd, std::string& path) {
    std::string bytes, error;
    if (!readPlainFile(kScriptPath, bytes, error)) return false;  // gone since the check
    if (fd < 0) {
        fd = memfd_create("korvane-preview-script", MFD_CLOEXEC);
        if (fd < 0) return false;
        path = "/proc/self/fd/" + std::to_string(fd);
    }
    if (::ftruncate(fd, 0) != 0) return false;
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

// Loads the checked script into the engine as the version to play.
bool Reloader::takeScript() {
    if (!keepVersion(versionFd_, versionPath_)) return false;
    script = CScript();
    einit.defaults();
    if (!script.init(versionPath_.c_str())) return false;
    sizeNote_.clear();
    if (!sizeChosen_ && (einit.width != width_ || einit.height != height_))
        sizeNote_ = "the script's render size is " + std::to_string(einit.width) + "x" +
                    std::to_string(einit.height) + "; this window keeps " + std::to_string(width_) + "x" +
                    std::to_string(height_) + " until the preview is started again";
    einit.width = einit.modeWidth = width_;
    einit.height = einit.modeHeight = height_;
    show.take(versionPath_);
    return true;
}

bool Reloader::apply(const std::set<std::string>& names, bool everything) {
    bool assetsChanged = everything;
    if (everything) {
        assets.loadAll();
    } else {
        for (const std::string& name : names)
            if (name != "script.txt" && assets.reload(name)) assetsChanged = true;
    }
    // Any file can decide a finding (a name the script asks for), so the
    // script is checked again whatever changed.
    EngineGlobals saved;
    latest_ = checkScript();
    kept_ = !latest_.read || latest_.errors > 0;
    if (!kept_) {
        const bool sameScript = playing_.read && latest_.physical == playing_.physical;
        if (sameScript && !assetsChanged) {
            playing_ = latest_;
        } else if (takeScript()) {
            playing_ = latest_;
            return true;
        } else {
            kept_ = true;
        }
    }
    saved.restore();
    if (!assetsChanged) return false;
    show.rewind();
    return true;
}
