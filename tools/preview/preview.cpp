#include "preview.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "assets.h"
#include "assets/dir.h"
#include "audio_out.h"
#include "draw/camera.h"
#include "held_frame.h"
#include "keys.h"
#include "overlay.h"
#include "playback.h"
#include "png_write.h"
#include "reload.h"
#include "script/script.h"
#include "shell/init.h"
#include "show.h"
#include "watch.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

const uint32_t kMessageMs = 4000;
const uint32_t kTitleMs = 250;
const uint32_t kPausedFrameMs = 30;  // a still picture needs no more than about 30 frames a second

// The render size: --size, or the script's, or the player's default when
// there is no script yet.
void renderSize(const PreviewOptions& options, int& width, int& height) {
    einit.defaults();
    if (options.width > 0) {
        width = options.width;
        height = options.height;
        return;
    }
    CScript probe;  // its options land in einit
    probe.init(kScriptPath);
    width = einit.width > 0 ? einit.width : 640;
    height = einit.height > 0 ? einit.height : 480;
}

// The window through the engine's own start-up step. A frame has the
// channels of korvane-capture's offscreen one, so blending that reads the
// frame's alpha gives the same picture.
bool openWindow(bool fullscreen, int width, int height, std::string& error) {
    einit.windowed = !fullscreen;
    einit.modeWidth = width;
    einit.modeHeight = height;
    // Full screen shows the frame pixel for pixel in the middle of the
    // screen: sdl12-compat's scaling of GL frames would need the show to
    // set a viewport, which it never does (unless the user asks for it).
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
    SDL_Init(SDL_INIT_VIDEO);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    einit.window();
    if (!einit.screen) {
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
        einit.window();
    }
    if (!einit.screen) {
        error = "cannot open a " + std::to_string(width) + "x" + std::to_string(height) +
                " OpenGL window: " + SDL_GetError();
        return false;
    }
    SDL_WM_SetCaption("Korvane preview", nullptr);
    SDL_ShowCursor(SDL_ENABLE);  // the strip takes clicks, also in full screen
    // Motion would only crowd the queue.
    for (int type = SDL_ACTIVEEVENT; type < SDL_NUMEVENTS; type++)
        if (type != SDL_KEYDOWN && type != SDL_MOUSEBUTTONDOWN && type != SDL_QUIT)
            SDL_EventState(static_cast<Uint8>(type), SDL_IGNORE);
    SDL_EnableKeyRepeat(SDL_DEFAULT_REPEAT_DELAY, SDL_DEFAULT_REPEAT_INTERVAL);
    return true;
}

long long wallClockMs() {
    timeval now;
    gettimeofday(&now, nullptr);
    return (long long)now.tv_sec * 1000 + now.tv_usec / 1000;
}

// "korvane-40.000.png" for the frame at 40 s; "-2", "-3", ... when taken.
std::string shotName(int32_t t, int attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "korvane-%d.%03d%s.png", t / 1000, t % 1000,
                  attempt > 1 ? ("-" + std::to_string(attempt)).c_str() : "");
    return name;
}

class Preview {
public:
    Preview(const PreviewOptions& options, std::string startDir)
        : options_(options), startDir_(std::move(startDir)) {}
    bool open(std::string& error);
    void run();

private:
    void events(uint32_t ticks);
    void act(Action action, uint32_t ticks);
    void jump(int32_t t, uint32_t ticks);
    void reload(const DataChanges& changes, uint32_t ticks);
    bool present(int32_t t);
    void frame(uint32_t ticks);
    void writeShot();
    void say(const std::string& message, uint32_t ticks);
    void title(uint32_t ticks);
    void printStats() const;
    void report();
    void followMusicFile();

    const PreviewOptions& options_;
    const std::string startDir_;
    int width_ = 0, height_ = 0;
    Playback playback_;
    HeldFrame held_;
    Overlay overlay_;
    DataWatch watch_;

    bool quit_ = false;
    bool seekDue_ = true;  // the playhead jumped: compose the frame there from the grid
    bool overlayOn_ = true;
    bool shotDue_ = false;
    std::string message_;
    uint32_t messageUntil_ = 0;
    std::string title_;
    std::string reported_;
    uint32_t titleAt_ = 0;
    uint32_t fpsSince_ = 0;
    int fpsFrames_ = 0;
    double fps_ = 0;

    // --stats
    bool reloadShown_ = true;  // the frame after the last reload is on screen
    uint32_t reloadFirstEvent_ = 0;
    double reloadApplyMs_ = 0;
    Clock::time_point reloadDone_;
    double overlayMs_ = 0, heldMs_ = 0, composeMs_ = 0;
    long long overlayFrames_ = 0, heldFrames_ = 0, composeFrames_ = 0;
};

bool Preview::open(std::string& error) {
    renderSize(options_, width_, height_);
    if (!openWindow(options_.fullscreen, width_, height_, error)) return false;
    einit.opengl();
    camera.init();
    held_.create(width_, height_);
    std::string why;
    if (!overlay_.open(width_, height_, why)) std::fprintf(stderr, "korvane-preview: no overlay text: %s\n", why.c_str());
    if (!watch_.start(why)) std::fprintf(stderr, "korvane-preview: %s; R reloads\n", why.c_str());
    reloader.setRenderSize(width_, height_, options_.width > 0);
    reloader.loadAll();
    overlay_.timelineChanged();
    followMusicFile();
    report();
    const uint32_t ticks = SDL_GetTicks();
    playback_.loopFrom = options_.loopFrom;
    if (options_.loopFrom) playback_.loopTo = options_.loopTo;
    playback_.loopOn = options_.loopFrom.has_value();
    playback_.start(options_.at.value_or(options_.loopFrom.value_or(0)), false, ticks);
    fpsSince_ = ticks;
    return true;
}

void Preview::say(const std::string& message, uint32_t ticks) {
    message_ = message;
    messageUntil_ = ticks + kMessageMs;
}

void Preview::jump(int32_t t, uint32_t ticks) {
    playback_.jump(t, ticks);
    seekDue_ = true;
}

// The end of the timeline: the "end", or the last statement's start.
static int32_t lastTime() { return reloader.playing().endTime; }

static bool hasSyncScenes() {
    for (const Bar& b : reloader.playing().timeline.bars)
        if (b.kind == BarKind::Sync) return true;
    return false;
}

void Preview::act(Action action, uint32_t ticks) {
    const int32_t t = playback_.now(ticks);
    switch (action) {
    case Action::None: break;
    case Action::TogglePause:
        if (!playback_.paused()) {
            playback_.pause(show.composedTo() >= 0 ? show.composedTo() : t);
            // Sync scenes switch at the frames that happen to come: the held
            // frame is composed again as a capture composes its time.
            if (hasSyncScenes()) seekDue_ = true;
        } else if (playback_.atEnd()) {
            playback_.resume(ticks);
            jump(playback_.loopOn ? *playback_.loopFrom : 0, ticks);
        } else {
            playback_.resume(ticks);
        }
        break;
    case Action::Back: jump(t - 1000, ticks); break;
    case Action::Forward: jump(t + 1000, ticks); break;
    case Action::BackFar: jump(t - 10000, ticks); break;
    case Action::ForwardFar: jump(t + 10000, ticks); break;
    case Action::FrameForward: jump(gridTime(gridFrameAt(t) + 1), ticks); break;
    case Action::FrameBack: {
        const int64_t k = gridFrameAt(t);
        jump(gridTime(gridTime(k) < t || k == 0 ? k : k - 1), ticks);
        break;
    }
    case Action::Start: jump(0, ticks); break;
    case Action::End: jump(lastTime(), ticks); break;
    case Action::LoopFrom:
    case Action::LoopTo:
        (action == Action::LoopFrom ? playback_.loopFrom : playback_.loopTo) = t;
        if (playback_.loopOn && !playback_.loopValid()) playback_.loopOn = false;
        say(std::string("loop ") + (action == Action::LoopFrom ? "start" : "end") + " at " + clockText(t) +
                (playback_.loopValid() ? "" : "; the loop needs its end after its start"),
            ticks);
        break;
    case Action::ToggleLoop: {
        const std::string why = playback_.toggleLoop();
        say(why.empty() ? std::string("loop ") + (playback_.loopOn ? "on" : "off") : why, ticks);
        break;
    }
    case Action::Reload: {
        DataChanges all;
        all.everything = true;
        reload(all, ticks);
        break;
    }
    case Action::Shot: shotDue_ = true; break;
    case Action::ToggleOverlay: overlayOn_ = !overlayOn_; break;
    case Action::ToggleFullscreen:
        if (!SDL_WM_ToggleFullScreen(SDL_GetVideoSurface())) say("full screen cannot be switched here", ticks);
        seekDue_ = true;
        break;
    case Action::Quit: quit_ = true; break;
    }
}

void Preview::events(uint32_t ticks) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) quit_ = true;
        if (event.type == SDL_KEYDOWN) act(actionFor(event.key.keysym, playback_.paused()), ticks);
        if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT && overlayOn_)
            if (const std::optional<int32_t> t = overlay_.timeAt(event.button.x, event.button.y)) jump(*t, ticks);
    }
}

void Preview::reload(const DataChanges& changes, uint32_t ticks) {
    const auto start = Clock::now();
    const bool rewound = reloader.apply(changes.names, changes.everything);
    overlay_.timelineChanged();
    followMusicFile();
    report();
    if (!rewound) return;
    reloadApplyMs_ = msSince(start);
    reloadDone_ = Clock::now();
    reloadShown_ = false;
    // The show goes on from where it was, in the new version.
    jump(playback_.now(ticks), ticks);
}

// Seeks to t and composes the frame there; at or past the "end", the last
// frame before it, holding at the end. False when nothing was composed.
bool Preview::present(int32_t t) {
    const CheckedScript& playing = reloader.playing();
    if (!playing.hasEnd || t < playing.endTime) return show.seek(t) && show.compose(t);
    playback_.reachEnd(playing.endTime);
    if (playing.endTime <= 0) {
        // No frame comes before an "end" at 0.
        show.rewind();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return true;
    }
    const int32_t last = gridTime(gridFrameAt(playing.endTime - 1));
    return show.seek(last) && show.compose(last);
}

void Preview::frame(uint32_t ticks) {
    bool composed = false;
    if (seekDue_) {
        seekDue_ = false;
        const int32_t t = playback_.now(ticks);
        composed = present(t);
        // Playing on from the frame just shown, however long the seek took.
        if (composed && !playback_.paused()) playback_.jump(t, SDL_GetTicks());
    } else if (!playback_.paused()) {
        const int32_t t = playback_.now(ticks);
        const bool loopEnds = playback_.loopOn && t >= *playback_.loopTo;
        const auto composeStart = Clock::now();
        if (!loopEnds && show.compose(t)) {
            composed = true;
            if (options_.stats) {
                glFinish();
                composeMs_ += msSince(composeStart);
                composeFrames_++;
            }
        } else if (playback_.loopOn) {
            playback_.jump(*playback_.loopFrom, ticks);
            composed = present(*playback_.loopFrom);
        } else {
            playback_.reachEnd(lastTime());
        }
    }
    // With --stats, each step is finished before the next so that its
    // time is its own (GL may defer the work of a frame).
    if (options_.stats) glFinish();
    const auto heldStart = Clock::now();
    if (composed)
        held_.take();
    else
        held_.show();
    if (options_.stats) glFinish();
    const double heldMs = msSince(heldStart);
    if (shotDue_) writeShot();

    const auto overlayStart = Clock::now();
    if (overlayOn_) {
        OverlayView view;
        view.time = playback_.now(ticks);
        view.fps = fps_;
        view.bpm = options_.bpm;
        view.beatOffset = options_.beatOffset;
        view.paused = playback_.paused();
        view.atEnd = playback_.atEnd();
        view.marks.playhead = view.time;
        view.marks.loopFrom = playback_.loopFrom;
        view.marks.loopTo = playback_.loopTo;
        view.marks.loopOn = playback_.loopOn;
        if (ticks < messageUntil_) view.message = message_;
        overlay_.draw(view);
    }
    if (options_.stats) {
        glFinish();
        if (overlayOn_) {
            overlayMs_ += msSince(overlayStart);
            overlayFrames_++;
        }
        if (composed) {
            heldMs_ += heldMs;
            heldFrames_++;
        }
    }
    SDL_GL_SwapBuffers();

    if (options_.stats && !reloadShown_ && !seekDue_) {
        glFinish();
        reloadShown_ = true;
        std::fprintf(stderr,
                     "korvane-preview: reload: %u ms from the first change to the new frame on screen "
                     "(checks and loads %.1f ms, seek and frame %.1f ms); on screen at %lld ms\n",
                     SDL_GetTicks() - reloadFirstEvent_, reloadApplyMs_, msSince(reloadDone_), wallClockMs());
    }
    fpsFrames_++;
    if (ticks - fpsSince_ >= 1000) {
        fps_ = fpsFrames_ * 1000.0 / double(ticks - fpsSince_);
        fpsFrames_ = 0;
        fpsSince_ = ticks;
    }
}

void Preview::writeShot() {
    shotDue_ = false;
    const uint32_t ticks = SDL_GetTicks();
    Frame frame;
    held_.read(frame);
    const int32_t t = show.composedTo() > 0 ? show.composedTo() : 0;
    // Written under a temporary name, then linked to a free final name:
    // nothing half-written, nothing written over.
    std::string part = startDir_ + "/.korvane-preview-XXXXXX";
    const int fd = mkstemp(part.data());
    if (fd < 0) {
        say("cannot write a picture in " + startDir_ + ": " + std::strerror(errno), ticks);
        return;
    }
    std::string error;
    if (!writePng(fd, frame, error)) {
        ::unlink(part.c_str());
        say(error, ticks);
        return;
    }
    for (int attempt = 1; attempt < 1000; attempt++) {
        const std::string name = shotName(t, attempt);
        if (::link(part.c_str(), (startDir_ + "/" + name).c_str()) == 0) {
            ::unlink(part.c_str());
            say("wrote " + name, ticks);
            return;
        }
        if (errno != EEXIST) break;
    }
    say("cannot write " + shotName(t, 1) + " in " + startDir_ + ": " + std::strerror(errno), ticks);
    ::unlink(part.c_str());
}

void Preview::title(uint32_t ticks) {
    std::string text = "Korvane preview " + clockText(playback_.now(ticks)) + " " +
                       (playback_.atEnd() ? "paused at end" : playback_.paused() ? "paused" : "playing");
    if (playback_.loopOn) text += " loop";
    if (text == title_ || (!playback_.paused() && ticks - titleAt_ < kTitleMs)) return;
    SDL_WM_SetCaption(text.c_str(), nullptr);
    title_ = text;
    titleAt_ = ticks;
}

// The music the version playing would play; the same unchanged file keeps
// its decode, so this is cheap on every reload.
void Preview::followMusicFile() { audioOut.open(einit.soundOn ? showMusicPath() : std::string()); }

// What the overlay says of the files goes to standard error too, for a
// terminal or an editor that reads "file:line:" messages; once per change.
void Preview::report() {
    std::string text;
    const CheckedScript& latest = reloader.latest();
    if (!latest.read)
        text += "korvane-preview: " + latest.readError + "\n";
    else if (reloader.kept())
        text += std::string("korvane-preview: ") + kScriptPath + " has errors; the last good version plays\n";
    if (reloader.kept())
        for (const std::string& finding : latest.findings) text += finding + "\n";
    for (const auto& [name, problem] : assets.problems())
        text += "korvane-preview: " + std::string(kDataPrefix) + name + ": " + problem + "\n";
    if (text.empty() && !reported_.empty()) std::fputs("korvane-preview: the files of data/ are fine again\n", stderr);
    if (text != reported_) std::fputs(text.c_str(), stderr);
    reported_ = text;
}

void Preview::printStats() const {
    auto perFrame = [](double ms, long long frames) { return frames > 0 ? ms / double(frames) : 0.0; };
    std::fprintf(stderr,
                 "korvane-preview: at %dx%d: overlay %.3f ms a frame over %lld frames; keeping a composed "
                 "frame %.3f ms a frame over %lld frames; composing the show %.3f ms a frame over %lld frames\n",
                 width_, height_, perFrame(overlayMs_, overlayFrames_), overlayFrames_, perFrame(heldMs_, heldFrames_),
                 heldFrames_, perFrame(composeMs_, composeFrames_), composeFrames_);
}

void Preview::run() {
    while (!quit_) {
        const uint32_t ticks = SDL_GetTicks();
        events(ticks);
        if (quit_) break;
        const DataChanges changes = watch_.poll(ticks);
        if (changes.any()) {
            reloadFirstEvent_ = watch_.firstEventAt();
            reload(changes, ticks);
        }
        frame(ticks);
        title(ticks);
        watch_.wait(SDL_GetTicks(), playback_.paused() ? kPausedFrameMs : 1);
    }
    if (options_.stats) printStats();
}

}  // namespace

int runPreview(const PreviewOptions& options, const std::string& startDir) {
    Preview preview(options, startDir);
    std::string error;
    if (!preview.open(error)) {
        std::fprintf(stderr, "korvane-preview: %s\n", error.c_str());
        audioOut.close();
        SDL_Quit();
        return 1;
    }
    preview.run();
    audioOut.close();
    SDL_Quit();
    return 0;
}
