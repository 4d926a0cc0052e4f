#!/usr/bin/env bash
# Start-up of the player on the sample show, under the current X display:
# the time from exec to the window being mapped, and to the first frame of the
# show on screen (the first screenshot of the window that is not all black:
# the sky fades in from black, so this is a frame or two after the first).
# Screenshots are polled, so the second figure is good to a few tens of ms.
# Usage: bench/bench_player_startup.sh [path/to/korvane] [runs]   (a Release build; needs
#        DISPLAY, xdotool and ImageMagick)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
player="$(realpath "${1:-$root/build/korvane}")"
runs="${2:-5}"
[ -n "${DISPLAY:-}" ] || { echo "bench_player_startup: no DISPLAY" >&2; exit 1; }
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cp -r "$root/examples/demo/data" "$work/"

now() { date +%s.%N; }
ms() { echo "($2 - $1) * 1000 / 1" | bc; }

for run in $(seq 1 "$runs"); do
  start=$(now)
  (cd "$work" && SDL_AUDIODRIVER=dummy exec "$player" 2>/dev/null) &
  pid=$!
  window=""
  until [ -n "$window" ]; do
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1 || true)
  done
  mapped=$(now)
  until [ "$(xwd -silent -id "$window" 2>/dev/null | convert xwd:- -format '%[fx:maxima>0]' info: 2>/dev/null)" = 1 ]; do :; done
  drawn=$(now)
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
  echo "run $run: window mapped after $(ms "$start" "$mapped") ms, first frame on screen after $(ms "$start" "$drawn") ms"
done
