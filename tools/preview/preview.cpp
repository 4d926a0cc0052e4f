#include "preview.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "assets.h"
#include "assets/dir.h"
#include "audio_out.h"
#include "beat_grid.h"
#include "clipboard.h"
#include "draw/camera.h"
#include "held_frame.h"
#include "keys.h"
#include "music_analysis.h"
#include "overlay.h"
#include "playback.h"
#include "reload.h"
#include "script_time.h"
#include "shell/init.h"
#include "shot.h"
#include "show.h"
#include "stats.h"
#include "taps.h"
#include "watch.h"
#include "window.h"

namespace {

using Clock = std::chrono::steady_clock;

const uint32_t kMessageMs = 4000;
const uint32_t kTitleMs = 250;
const uint32_t kPausedFrameMs = 30;  // a still picture needs no more than about 30 frames a second

// The end of the timeline: the "end", or the last statement's start.
int32_t lastTime() { return reloader.playing().endTime; }

bool hasSyncScenes() {
    for (const Bar& b : reloader.playing().timeline.bars)
        if (b.kind == BarKind::Sync) return true;
    return false;
}

class Preview {
public:
    Preview(const PreviewOptions& options, std::string startDir)
        : options_(options), startDir_(std::move(startDir)) {}
    bool open(std::string& error);
    void run();

private:
    void events(uint32_t ticks);
    void mouse(const SDL_Event& event, uint32_t ticks);
    void act(Action action, uint32_t ticks);
    void tap(int32_t t, uint32_t ticks);
    void endTake(bool onBeats, uint32_t ticks);
    void copyTime(int32_t t, bool onBeat, uint32_t ticks);
    void followMusic();
    const BeatGrid* beats() const;
    void jump(int32_t t, uint32_t ticks);
    void askReload(const std::set<std::string>& names, bool everything, uint32_t firstEvent);
    void takeReload(uint32_t ticks);
    bool present(int32_t t);
    void frame(uint32_t ticks);
    void shoot();
    void say(const std::string& message, uint32_t ticks);
    void title(uint32_t ticks);
    void report();
    void followMusicFile();

    const PreviewOptions& options_;
    const std::string startDir_;
    int width_ = 0, height_ = 0;
    Playback playback_;
    HeldFrame held_;
    Overlay overlay_;
    DataWatch watch_;
    MusicAnalysis analysis_;
    std::shared_ptr<const MusicFacts> facts_;  // what is known of the music playing
    BeatGrid givenBeats_;                       // --bpm: these, not the beats found
    TapTake take_;
    Clipboard clipboard_;

    bool quit_ = false;
    bool seekDue_ = true;  // the playhead jumped: compose the frame there from the grid
    bool overlayOn_ = true;
    bool shotDue_ = false;
    bool scrubbing_ = false;            // the strip was clicked and the button is held
    std::optional<int32_t> scrubTo_;    // where the drag has gone this frame
    int pointerX_ = -1, pointerY_ = -1; // -1 while the pointer is out of the window
    std::string message_;
    uint32_t messageUntil_ = 0;
    std::string title_;
    std::string reported_;
    uint32_t titleAt_ = 0;
    uint32_t fpsSince_ = 0;
    int fpsFrames_ = 0;
    double fps_ = 0;

    PreviewStats stats_;
    uint32_t reloadEvent_ = 0;             // ticks of the first change the reload takes in
    Clock::time_point reloadStart_;        // when the preview began to take it in
};

bool Preview::open(std::string& error) {
    stats_.on = options_.stats;
    if (options_.bpm > 0) givenBeats_ = BeatGrid::steady(options_.bpm, options_.beatOffset);
    renderSize(options_, width_, height_);
    if (!openWindow(options_.fullscreen, width_, height_, error)) return false;
    einit.opengl();
    camera.init();
    held_.create(width_, height_);
    std::string why;
    if (!overlay_.open(width_, height_, why)) std::fprintf(stderr, "korvane-preview: no overlay text: %s\n", why.c_str());
    // The show is followed by its path, which the working directory named at the start.
    const std::string showPath = options_.dir.rfind('/', 0) == 0 ? options_.dir : startDir_ + "/" + options_.dir;
    if (!watch_.start(showPath, why)) std::fprintf(stderr, "korvane-preview: %s; R reloads\n", why.c_str());
    reloader.setRenderSize(width_, height_, options_.width > 0);
    const auto start = Clock::now();
    reloader.loadAll();
    stats_.started(stats_.since(start));
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
    case Action::Reload:
        watch_.followShowDir();
        askReload({}, true, ticks);
        break;
    case Action::Shot: shotDue_ = true; break;
    case Action::ToggleOverlay: overlayOn_ = !overlayOn_; break;
    case Action::ToggleFullscreen:
        if (!SDL_WM_ToggleFullScreen(SDL_GetVideoSurface())) say("full screen cannot be switched here", ticks);
        seekDue_ = true;
        break;
    case Action::Tap: tap(t, ticks); break;
    case Action::EndTake:
    case Action::EndTakeOnBeats: endTake(action == Action::EndTakeOnBeats, ticks); break;
    case Action::CopyTime:
    case Action::CopyExactTime: copyTime(t, action == Action::CopyTime, ticks); break;
    case Action::Quit: quit_ = true; break;
    }
}

// The beats that bar:beat, the ruler and snapping follow: --bpm's, else the music's.
const BeatGrid* Preview::beats() const {
    if (!givenBeats_.empty()) return &givenBeats_;
    return facts_ && !facts_->beats.empty() ? &facts_->beats : nullptr;
}

void Preview::tap(int32_t t, uint32_t ticks) {
    if (playback_.paused()) {
        say("taps need the show playing (Space)", ticks);
        return;
    }
    if (!take_.tap(t)) {
        say("the take is full: Enter ends it", ticks);
        return;
    }
    say("tap " + std::to_string(take_.taps()) + " at " + clockText(t) +
            (take_.restarted() ? " (a new take: the show went back)" : "") + "; Enter ends the take",
        ticks);
}

// The take's Sync line goes to standard output, the overlay and the clipboard.
void Preview::endTake(bool onBeats, uint32_t ticks) {
    const BeatGrid* grid = onBeats ? beats() : nullptr;
    const std::optional<TakenSync> taken = take_.finish(grid);
    if (!taken) {
        say("a take needs two taps or more (T while the show plays)", ticks);
        return;
    }
    std::printf("%s\n%s\n", taken->comment.c_str(), taken->syncLine.c_str());
    std::fflush(stdout);
    clipboard_.offer(taken->syncLine);
    std::string note = "  (a sync scene from " + scriptSeconds(taken->start) + ")";
    if (onBeats && !grid) note += "; no beats known to move the marks to";
    say(taken->syncLine + note, ticks);
}

void Preview::copyTime(int32_t t, bool onBeat, uint32_t ticks) {
    const BeatGrid* grid = onBeat ? beats() : nullptr;
    const int64_t at = grid ? std::llround(grid->nearest(t).value_or(t)) : t;
    const std::string text = scriptSeconds(std::max<int64_t>(0, at));
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    const bool held = clipboard_.offer(text);
    say("copied " + text + (grid ? " (the beat nearest " + clockText(t) + ")" : "") + (held ? "" : "; no clipboard here"),
        ticks);
}

void Preview::events(uint32_t ticks) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) quit_ = true;
        if (event.type == SDL_KEYDOWN) act(actionFor(event.key.keysym, playback_.paused()), ticks);
        mouse(event, ticks);
    }
    // One seek a frame however fast the pointer moves.
    if (scrubTo_) jump(*scrubTo_, ticks);
    scrubTo_.reset();
}

// A click on the strip seeks; dragging on from there scrubs.
void Preview::mouse(const SDL_Event& event, uint32_t ticks) {
    switch (event.type) {
    case SDL_MOUSEMOTION:
        pointerX_ = event.motion.x;
        pointerY_ = event.motion.y;
        // A release outside the window may never come as an event.
        scrubbing_ = scrubbing_ && (event.motion.state & SDL_BUTTON(SDL_BUTTON_LEFT));
        if (scrubbing_ && overlayOn_) scrubTo_ = overlay_.timeAlong(event.motion.x);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button != SDL_BUTTON_LEFT || !overlayOn_) break;
        if (const std::optional<int32_t> t = overlay_.timeAt(event.button.x, event.button.y)) {
            jump(*t, ticks);
            scrubbing_ = true;
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) scrubbing_ = false;
        break;
    case SDL_ACTIVEEVENT:
        if ((event.active.state & SDL_APPMOUSEFOCUS) && !event.active.gain) pointerX_ = pointerY_ = -1;
        break;
    default: break;
    }
}

// The music's beats and loudness, found in the background once it is
// decoded; said in the terminal when they come.
void Preview::followMusic() {
    analysis_.follow(audioOut.music());
    const std::shared_ptr<const MusicFacts> facts = analysis_.facts();
    if (facts == facts_) return;
    facts_ = facts;
    if (!facts_) return;
    stats_.beatsFound(facts_->tookMs, facts_->processorMs, facts_->lengthMs);
    if (facts_->beats.empty())
        std::fprintf(stderr, "korvane-preview: no steady beat found in the music%s\n",
                     givenBeats_.empty() ? " (--bpm gives one)" : "");
    else
        std::fprintf(stderr, "korvane-preview: the music's tempo: %.2f BPM, the first beat at %s%s\n",
                     facts_->beats.bpm(), scriptSeconds(std::llround(facts_->beats.first())).c_str(),
                     givenBeats_.empty() ? "" : " (--bpm is used instead)");
}

void Preview::askReload(const std::set<std::string>& names, bool everything, uint32_t firstEvent) {
    if (!reloader.busy()) {
        reloadEvent_ = firstEvent;
        reloadStart_ = Clock::now();
    }
    reloader.request(names, everything);
}

// Takes in what the reloader has done since the last frame; the window
// never waits for a check.
void Preview::takeReload(uint32_t ticks) {
    const ReloadStep step = reloader.step();
    if (step.changed) {
        overlay_.timelineChanged();
        followMusicFile();
        report();
    }
    if (!step.rewound) return;
    stats_.reloaded(reloadEvent_, stats_.since(reloadStart_));
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
        const auto start = Clock::now();
        if (!loopEnds && show.compose(t)) {
            composed = true;
            stats_.compose(stats_.since(start));
        } else if (playback_.loopOn) {
            playback_.jump(*playback_.loopFrom, ticks);
            composed = present(*playback_.loopFrom);
        } else {
            playback_.reachEnd(lastTime());
        }
    }
    // With --stats each step is timed alone: GL may defer the work of a frame.
    stats_.finish();
    auto start = Clock::now();
    if (composed) {
        held_.take();
        stats_.keep(stats_.since(start));
    } else {
        held_.show();
    }
    if (shotDue_) shoot();

    if (overlayOn_) {
        start = Clock::now();
        OverlayView view;
        view.time = playback_.now(ticks);
        view.fps = fps_;
        view.music.beats = beats();
        if (facts_) {
            view.music.loudness = &facts_->loudness;
            view.music.loudnessMs = MusicFacts::kLoudnessMs;
            view.music.serial = facts_->serial;
        }
        view.pointerX = pointerX_;
        view.pointerY = pointerY_;
        view.paused = playback_.paused();
        view.atEnd = playback_.atEnd();
        // At the end the frame on screen is the last one composed before it.
        view.sceneTime = view.time;
        if (view.atEnd)
            view.sceneTime = lastTime() > 0 && show.composedTo() >= 0 ? std::optional(show.composedTo()) : std::nullopt;
        view.marks.playhead = view.time;
        view.marks.loopFrom = playback_.loopFrom;
        view.marks.loopTo = playback_.loopTo;
        view.marks.loopOn = playback_.loopOn;
        if (ticks < messageUntil_) view.message = message_;
        overlay_.draw(view);
        stats_.overlay(stats_.since(start));
    }
    SDL_GL_SwapBuffers();
    if (!seekDue_) stats_.presented();
    stats_.paced(analysis_.busy());

    fpsFrames_++;
    if (ticks - fpsSince_ >= 1000) {
        fps_ = fpsFrames_ * 1000.0 / double(ticks - fpsSince_);
        fpsFrames_ = 0;
        fpsSince_ = ticks;
    }
}

void Preview::shoot() {
    shotDue_ = false;
    Frame frame;
    held_.read(frame);
    say(writeShot(frame, show.composedTo() > 0 ? show.composedTo() : 0, startDir_), SDL_GetTicks());
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
    if (!latest.read || reloader.kept()) text += "korvane-preview: " + keptText() + "\n";
    for (const std::string& finding : latest.findings) text += finding + "\n";
    for (const auto& [name, lines] : assets.problems())
        for (const std::string& line : lines) text += line + "\n";
    if (text.empty() && !reported_.empty()) std::fputs("korvane-preview: the files of data/ are fine again\n", stderr);
    if (text != reported_) std::fputs(text.c_str(), stderr);
    reported_ = text;
}

void Preview::run() {
    while (!quit_) {
        const uint32_t ticks = SDL_GetTicks();
        events(ticks);
        if (quit_) break;
        const DataChanges changes = watch_.poll(ticks);
        if (changes.everything) watch_.followShowDir();
        if (changes.any()) askReload(changes.names, changes.everything, watch_.firstEventAt());
        takeReload(ticks);
        followMusic();
        clipboard_.serve();
        frame(ticks);
        title(ticks);
        watch_.wait(SDL_GetTicks(), playback_.paused() ? kPausedFrameMs : 1);
    }
    analysis_.stop();
    stats_.print(width_, height_);
}

}  // namespace

int runPreview(const PreviewOptions& options, const std::string& startDir) {
    bool opened = false;
    {
        // Its textures go before the GL context does.
        Preview preview(options, startDir);
        std::string error;
        opened = preview.open(error);
        if (opened)
            preview.run();
        else
            std::fprintf(stderr, "korvane-preview: %s\n", error.c_str());
    }
    audioOut.close();
    SDL_Quit();
    const int status = opened ? 0 : 1;
    // A check still running reads the engine's tables and the checker's
    // constants: the process ends here without waiting for it, and without
    // taking apart what it reads.
    if (reloader.checking()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
