#include "reload.h"

#include <sys/mman.h>  // Required for: memfd_create
#include <unistd.h>

#include <utility>

#include "assets.h"
#include "script/script.h"
#include "shell/init.h"
#include "show.h"

Reloader reloader;

void Reloader::setRenderSize(int width, int height, bool chosen) {
    width_ = width;
    height_ = height;
    sizeChosen_ = chosen;
}

// A file of the preview's own, in memory, holding the text of the version
// playing: seeks back read it again, and data/script.txt may by then hold an
// edit with errors.
static bool keepVersion(int& fd, std::string& path, const std::string& bytes) {
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

// Loads the checked bytes into the engine as the version to play.
bool Reloader::takeScript(const std::string& bytes) {
    if (!keepVersion(versionFd_, versionPath_, bytes)) return false;
    script = CScript();
    einit.defaults();
    script.load(bytes);
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

ReloadStep Reloader::take(ScriptVersion version) {
    latest_ = std::move(version.checked);
    kept_ = !latest_.read || latest_.errors > 0;
    ReloadStep step;
    step.changed = true;
    if (kept_) return step;
    if (playing_.read && latest_.physical == playing_.physical) {
        playing_ = latest_;
    } else if (takeScript(version.bytes)) {
        playing_ = latest_;
        step.rewound = true;
    } else {
        kept_ = true;
    }
    return step;
}

void Reloader::loadAll() {
    assets.loadAll();
    show.rewind();
    take(checkScript());
}

void Reloader::request(const std::set<std::string>& names, bool everything) {
    pending_ = true;
    pendingAll_ = pendingAll_ || everything;
    pendingNames_.insert(names.begin(), names.end());
}

ReloadStep Reloader::step() {
    if (check_.running()) return check_.done() ? take(check_.take()) : ReloadStep{};
    if (!pending_) return {};
    std::set<std::string> names = std::move(pendingNames_);
    const bool everything = pendingAll_;
    pendingNames_.clear();
    pending_ = pendingAll_ = false;
    names.erase("script.txt");
    // Any file can decide a finding (a name the script asks for), so the
    // script is checked again whatever changed.
    bool assetsChanged = everything;
    if (everything)
        assets.loadAll();
    else
        assetsChanged = assets.reload(names);
    ReloadStep step;
    if (!check_.start()) step = take(checkScript());
    if (assetsChanged) {
        // The version playing goes on with the new textures and models.
        if (!step.rewound) show.rewind();
        step.changed = step.rewound = true;
    }
    return step;
}
