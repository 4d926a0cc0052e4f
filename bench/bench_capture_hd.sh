#!/usr/bin/env bash
# The sample show at 1920 x 1080 (its 640 x 480 layout pillarboxed), 60 fps:
# composing alone (--null), then to H.264 with its music (the default preset,
# then each PRESET given), one after the other in one run. Prints wall and
# processor time (ffmpeg's included) against the show's length, and
# korvane-capture's --stats: where the time went.
# Usage: bench/bench_capture_hd.sh [CAPTURE [SECONDS [PRESET...]]]
#   CAPTURE: a Release build of korvane-capture; SECONDS: stop there (default: the whole show)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tool="${1:-$root/build/tools/korvane-capture}"
seconds="${2:-}"
shift $(( $# > 2 ? 2 : $# ))
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

length=60.0
to=()
if [ -n "$seconds" ]; then length="$seconds"; to=(--to "$seconds.0"); fi
echo "korvane-capture, sample show, ${length} s at 60 fps, --resolution 1920x1080, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
run() {
  local name="$1"; shift
  echo "== $name"
  local TIMEFORMAT="%R %U %S"
  local times
  times="$( { time "$tool" --dir "$root/examples/demo" --resolution 1920x1080 "${to[@]}" --stats "$@" \
             2>"$work/stats" ; } 2>&1 )"
  sed 's/^korvane-capture: //' "$work/stats"
  read -r wall user sys <<<"$times"
  awk -v w="$wall" -v u="$user" -v s="$sys" -v l="$length" 'BEGIN {
    printf "  wall %.1f s (%.2f x real time), processor %.1f s (%.2f cores busy)\n", w, l / w, u + s, (u + s) / w }'
}
run "composing alone" --null
run "H.264 with music, default preset" --video "$work/show.mp4"
ffprobe -v error -show_entries format=size,duration -of csv=p=0 "$work/show.mp4" | awk -F, '{ printf "  %.1f MB, %.1f Mbit/s\n", $2 / 1e6, $2 * 8 / $1 / 1e6 }'
for preset in "$@"; do
  run "H.264 with music, --preset $preset" --video "$work/show.mp4" --preset "$preset"
  ffprobe -v error -show_entries format=size,duration -of csv=p=0 "$work/show.mp4" | awk -F, '{ printf "  %.1f MB, %.1f Mbit/s\n", $2 / 1e6, $2 * 8 / $1 / 1e6 }'
done
