#!/usr/bin/env bash
# korvane-preview finding the beats of a 10-minute song while it plays the
# sample show: how long finding them takes against the song's length, and
# how far apart frames come while they are being found and after (the
# preview's --stats). The beats are found off the frame path, so the two
# rates should match.
# Usage: bench/bench_preview_beats.sh [build dir] [SECONDS, default 25]   (a Release build; needs DISPLAY)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
seconds="${2:-25}"
[ -n "${DISPLAY:-}" ] || { echo "bench_preview_beats: no DISPLAY" >&2; exit 1; }
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cp -r "$root/examples/demo/data" "$work/"

# Ten minutes at 126 BPM: a kick on each beat, a hat between, over a slow sweep.
(
  cd "$work"
  sox -n -r 44100 -c 2 kick.wav synth 0.12 sine 150-50 fade q 0.002 0.12 0.09 pad 0 0.35619
  sox -n -r 44100 -c 2 hat.wav synth 0.04 whitenoise vol 0.2 highpass 6000 fade q 0.001 0.04 0.03 pad 0.238095 0.198095
  sox -m kick.wav hat.wav beat.wav && sox beat.wav beats.wav repeat 1259
  sox -n -r 44100 -c 2 sweep.wav synth 600 sine 200-800 vol 0.2
  sox -m beats.wav sweep.wav data/music.ogg trim 0 600
) 2>/dev/null

(cd "$work" && SDL_AUDIODRIVER=dummy exec "$build/tools/korvane-preview" --stats 2>"$work/stats") &
pid=$!
deadline=$(( $(date +%s) + 120 ))
window=""
while [ -z "$window" ]; do
  [ "$(date +%s)" -lt "$deadline" ] || { echo "bench_preview_beats: no window" >&2; exit 1; }
  window="$(xdotool search --pid "$pid" --name "Korvane preview" 2>/dev/null | head -1 || true)"
  sleep 0.1
done
sleep "$seconds"
xdotool key --window "$window" Escape
wait "$pid" || true
pid=""
grep -E "^korvane-preview: (beats|frames|the music)" "$work/stats" | sed 's/^korvane-preview: //'
