#!/usr/bin/env bash
# Frame rate the player holds on the sample show under the current X display
# (Xvfb with llvmpipe in CI): Mesa's HUD counts the frames and writes one
# figure a second (GALLIUM_HUD_DUMP_DIR); the HUD draws itself too, which costs
# a little. Printed per part of the show, then the whole run. For comparison,
# korvane-capture composes the same show at the same size with no window.
# Usage: bench/bench_player_fps.sh [build dir] [seconds]   (a Release build; needs DISPLAY)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
seconds="${2:-60}"
[ -n "${DISPLAY:-}" ] || { echo "bench_player_fps: no DISPLAY" >&2; exit 1; }
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cp -r "$root/examples/demo/data" "$work/"
mkdir "$work/hud"

(cd "$work" && GALLIUM_HUD=fps GALLIUM_HUD_PERIOD=1 GALLIUM_HUD_DUMP_DIR="$work/hud" SDL_AUDIODRIVER=dummy \
  exec "$build/korvane" 2>/dev/null) &
pid=$!
sleep "$seconds"
kill "$pid" 2>/dev/null || true  # the show may have ended itself
wait "$pid" 2>/dev/null || true
pid=""

# One line a second; the first second holds the start-up.
summary() {  # label first last (seconds of the run, 1-based)
  sed -n "$2,$3p" "$work/hud/fps" | sort -n |
    awk -v label="$1" '{ v[NR] = $1; s += $1 } END {
      if (NR) printf "%-24s min %6.1f  median %6.1f  mean %6.1f fps\n", label, v[1], v[int((NR + 1) / 2)], s / NR }'
}
echo "player, 640x480 window, $(wc -l < "$work/hud/fps") s measured:"
summary "title (2-8 s)" 3 8
summary "models (8-26 s)" 9 26
summary "tube + pulse (26-42 s)" 27 42
summary "dart, torus (42-56 s)" 43 56
summary "closing (56-60 s)" 57 60
summary "whole show (2-60 s)" 3 60

echo "korvane-capture --null at 640x480, 60 frames a second of show time:"
"$build/tools/korvane-capture" --dir "$work" --size 640x480 --fps 60 --null --stats 2>&1 | sed 's/^korvane-capture: /  /'
