#!/usr/bin/env bash
# korvane-preview on the sample show under the current X display: how long a
# reload takes from the rename of a changed script to the new frame on
# screen (five saves, paused at show time AT), and what the overlay costs a
# frame at 640 x 480 while the show plays. The preview's --stats gives both:
# each reload's frame says when it was on screen, each step is finished
# (glFinish) before the next is timed.
# Usage: bench/bench_preview.sh [build dir] [AT, default 20.0]   (a Release build; needs DISPLAY)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
at="${2:-20.0}"
[ -n "${DISPLAY:-}" ] || { echo "bench_preview: no DISPLAY" >&2; exit 1; }
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cp -r "$root/examples/demo/data" "$work/"
now_ms() { date +%s%3N; }

window_named() {  # pattern [seconds]: waits for the preview's title to match
  local deadline=$(( $(date +%s) + ${2:-120} ))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    for w in $(xdotool search --pid "$pid" 2>/dev/null); do
      case "$(xdotool getwindowname "$w" 2>/dev/null)" in $1) echo "$w"; return 0;; esac
    done
    sleep 0.1
  done
  echo "bench_preview: no window titled $1" >&2; exit 1
}

(cd "$work" && SDL_AUDIODRIVER=dummy exec "$build/tools/korvane-preview" --stats --at "$at" 2>"$work/stats") &
pid=$!
window="$(window_named "Korvane preview *playing*")"
sleep 3
xdotool key --window "$window" space
window_named "Korvane preview *paused*" >/dev/null

script="$work/data/script.txt"
cp "$script" "$work/script.orig"
for round in 1 2 3 4 5; do
  # An editor's save: the changed text under a new name, renamed over the old.
  sed "s/duration 52.0/duration 52.$round/" "$work/script.orig" > "$work/data/.script.txt.new"
  before=$(grep -c "^korvane-preview: reload" "$work/stats" || true)
  written=$(now_ms)
  mv "$work/data/.script.txt.new" "$script"
  deadline=$(( $(date +%s) + 120 ))
  while [ "$(grep -c "^korvane-preview: reload" "$work/stats" || true)" -le "$before" ]; do
    [ "$(date +%s)" -lt "$deadline" ] || { echo "bench_preview: no reload" >&2; exit 1; }
    sleep 0.02
  done
  shown=$(grep "^korvane-preview: reload" "$work/stats" | tail -1 | sed 's/.*on screen at \([0-9]*\) ms.*/\1/')
  steps=$(grep "^korvane-preview: reload" "$work/stats" | tail -1 | sed 's/.*(\(.*\)).*/\1/')
  echo "reload $round at $at s: $((shown - written)) ms from the rename to the new frame on screen ($steps)"
  sleep 0.5
done

# The overlay's cost while the show plays.
xdotool key --window "$window" space
sleep 10
xdotool key --window "$window" Escape
wait "$pid" || true
pid=""
grep "^korvane-preview: at " "$work/stats" | sed 's/^korvane-preview: /playing 10 s: /'
