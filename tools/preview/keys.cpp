#include "keys.h"

namespace {

struct Binding {
    SDLKey key;
    bool shift;  // this binding wants Shift held; others take the key either way
    Action action;
};

// Shifted bindings come before the plain binding of the same key.
const Binding kBindings[] = {
    {SDLK_SPACE, false, Action::TogglePause},
    {SDLK_LEFT, true, Action::BackFar},
    {SDLK_RIGHT, true, Action::ForwardFar},
    {SDLK_LEFT, false, Action::Back},
    {SDLK_RIGHT, false, Action::Forward},
    {SDLK_PAGEUP, false, Action::BackFar},
    {SDLK_PAGEDOWN, false, Action::ForwardFar},
    {SDLK_UP, false, Action::FrameForward},
    {SDLK_PERIOD, false, Action::FrameForward},
    {SDLK_DOWN, false, Action::FrameBack},
    {SDLK_COMMA, false, Action::FrameBack},
    {SDLK_HOME, false, Action::Start},
    {SDLK_END, false, Action::End},
    {SDLK_LEFTBRACKET, false, Action::LoopFrom},
    {SDLK_RIGHTBRACKET, false, Action::LoopTo},
    {SDLK_l, false, Action::ToggleLoop},
    {SDLK_r, false, Action::Reload},
    {SDLK_s, false, Action::Shot},
    {SDLK_h, false, Action::ToggleOverlay},
    {SDLK_f, false, Action::ToggleFullscreen},
    {SDLK_t, false, Action::Tap},
    {SDLK_RETURN, true, Action::EndTakeOnBeats},
    {SDLK_KP_ENTER, true, Action::EndTakeOnBeats},
    {SDLK_RETURN, false, Action::EndTake},
    {SDLK_KP_ENTER, false, Action::EndTake},
    {SDLK_c, true, Action::CopyExactTime},
    {SDLK_c, false, Action::CopyTime},
    {SDLK_ESCAPE, false, Action::Quit},
};

const char* const kHelp =
    "  Space                 pause / resume (at the end: play again from the start)\n"
    "  Left / Right          back / forward 1 s\n"
    "  Page Up / Page Down   back / forward 10 s (also Shift+Left / Shift+Right)\n"
    "  Up or .  / Down or ,  while paused: one frame forward / back (frames of 1/60 s)\n"
    "  Home / End            to 0 / to the last statement's start (the \"end\" where there is one)\n"
    "  [ / ]                 loop start / loop end at the current time\n"
    "  L                     loop on / off: at its end the show jumps back to its start\n"
    "  R                     reload data/ now (it reloads by itself when a file changes)\n"
    "  S                     write the current frame, without the overlay, to a PNG in the\n"
    "                        directory the preview was started in\n"
    "  H                     overlay on / off\n"
    "  F                     full screen on / off\n"
    "  T                     while playing: tap a mark in time with the music\n"
    "  Enter                 end the taps: print a Sync line whose marks fall where you\n"
    "                        tapped (lengths in seconds, tracks to fill in)\n"
    "  Shift+Enter           the same with each mark moved to the nearest beat\n"
    "  C                     copy the current time as the script writes it, moved to the\n"
    "                        nearest beat when the beats are known: printed, shown, and on\n"
    "                        the clipboard\n"
    "  Shift+C               the same without moving it to a beat\n"
    "  Escape                quit (so does closing the window)\n"
    "  A click on the timeline strip at the bottom seeks to the time under the pointer;\n"
    "  dragging along it scrubs. Pointing at a bar there shows its script line.\n";

}  // namespace

Action actionFor(const SDL_keysym& key, bool paused) {
    const bool shift = (key.mod & KMOD_SHIFT) != 0;
    for (const Binding& b : kBindings) {
        if (b.key != key.sym || (b.shift && !shift)) continue;
        const bool frameStep = b.action == Action::FrameBack || b.action == Action::FrameForward;
        return frameStep && !paused ? Action::None : b.action;
    }
    return Action::None;
}

std::string keysHelp() { return kHelp; }
