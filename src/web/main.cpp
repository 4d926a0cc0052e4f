// The web player's entry points and main loop. The page puts the show's
// files in place (data/ of the working directory), decodes its music, and
// calls korvane_load; a click calls korvane_play. From then on the browser
// calls one frame a display refresh, and each frame is composed at the
// show time of the clock, as the player composes them; pauses and moves go
// through the playhead, as the preview's do, and a still frame (the page's
// ?t=) is the frame korvane-capture --shot makes of that time.
#include <emscripten.h>

#include <algorithm>

#include "arguments.h"  // Required for: parseShowTime
#include "shell/init.h"
#include "shell/timer.h"
#include "timeline/seek.h"
#include "web/gl/fixed_gl.h"
#include "web/player.h"
#include "web/web_music.h"

namespace {

enum class Phase { Loading, Ready, Playing, Paused, Ended, Failed };

Phase phase = Phase::Loading;
int32_t shown = 0;  // show time of the frame on the canvas

EM_JS(void, pageShowPhase, (const char* phase, int time), {
    if (Module.onKorvanePhase) Module.onKorvanePhase(UTF8ToString(phase), time);
});

const char* phaseName(Phase p) {
    switch (p) {
    case Phase::Loading: return "loading";
    case Phase::Ready: return "ready";
    case Phase::Playing: return "playing";
    case Phase::Paused: return "paused";
    case Phase::Ended: return "ended";
    case Phase::Failed: return "failed";
    }
    return "";
}

void enter(Phase p) {
    phase = p;
    pageShowPhase(phaseName(p), shown);
}

void end() {
    webMusicStop();
    enter(Phase::Ended);
}

// The frame at show time t, the show fast-forwarded to it frame by frame;
// false when "end" comes first.
bool showStill(int32_t t) {
    shown = std::max(t, 0);
    const bool drawn = playhead.seek(shown) == CPlayhead::Stop::Reached && playhead.composeAt(shown);
    kglFlush();
    return drawn;
}

// The clock set so that the show time now is t, and the music with it.
void runFrom(int32_t t) {
    timer.init();
    timer.start -= static_cast<uint32_t>(t);
    timer.elapsed = t;
    webMusicPlayFrom(t);
}

void frame() {
    if (phase != Phase::Playing) return;
    timer.getTime();
    shown = timer.elapsed;
    const bool drawn = playhead.composeAt(shown);
    kglFlush();
    if (!drawn) end();
}

}  // namespace

void webPlay() {
    if (phase == Phase::Loading || phase == Phase::Failed || phase == Phase::Playing) return;
    if (phase == Phase::Ended && !showStill(0)) return;
    runFrom(shown);
    enter(Phase::Playing);
}

void webTogglePause() {
    if (phase != Phase::Playing) return webPlay();
    webMusicStop();
    enter(Phase::Paused);
}

void webSeekBy(int32_t ms) {
    if (phase != Phase::Playing && phase != Phase::Paused && phase != Phase::Ready) return;
    const int32_t t = std::max<int32_t>(0, shown + ms);
    if (!showStill(t)) return end();
    if (phase == Phase::Playing) runFrom(t);
    pageShowPhase(phaseName(phase), shown);
}

void webStop() {
    if (phase == Phase::Playing || phase == Phase::Paused || phase == Phase::Ready) end();
}

extern "C" {

// The start-up of the player with the files in place, then the still at
// show time from. 0 when the show is ready to play; 1 when it cannot play,
// the page having been told why.
EMSCRIPTEN_KEEPALIVE int korvane_load(int32_t from) {
    try {
        einit.init();
        playhead.start(kScriptPath);
        emscripten_set_main_loop(frame, 0, 0);
        if (!showStill(from)) {
            end();
            return 0;
        }
        enter(Phase::Ready);
        return 0;
    } catch (const ShowStopped& stopped) {
        enter(stopped.status == 0 ? Phase::Ended : Phase::Failed);
        return stopped.status == 0 ? 0 : 1;
    }
}

EMSCRIPTEN_KEEPALIVE void korvane_play() { webPlay(); }
EMSCRIPTEN_KEEPALIVE void korvane_toggle_pause() { webTogglePause(); }
EMSCRIPTEN_KEEPALIVE void korvane_seek_by(int32_t ms) { webSeekBy(ms); }
EMSCRIPTEN_KEEPALIVE void korvane_stop() { webStop(); }
// A show time as the script writes one ("12.5" seconds, "12500" ms); -1
// when the text is not one.
EMSCRIPTEN_KEEPALIVE int32_t korvane_parse_time(const char* text) {
    int32_t ms = 0;
    return parseShowTime(text, ms) ? ms : -1;
}
// The show time of the frame on the canvas.
EMSCRIPTEN_KEEPALIVE int32_t korvane_time() { return shown; }
// The show clock now: while playing, the time a frame composed now would show.
EMSCRIPTEN_KEEPALIVE int32_t korvane_clock() {
    if (phase != Phase::Playing) return shown;
    CTimer now = timer;
    now.getTime();
    return now.elapsed;
}

}  // extern "C"
