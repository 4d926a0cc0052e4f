#!/usr/bin/env bash
# korvane-preview's reload of a show with N pictures in data/ (default 8,000
# small JPEGs), under the current X display, against a fresh start's load of
# the same show: the preview's own start-up load, each from its --stats.
# Three reloads by R (every file of data/ again) and three with every picture
# touched (one change event a picture). Target: each at most 2 times the
# fresh start's load.
# Usage: bench/bench_preview_reload.sh [build dir] [N]   (a Release build; needs DISPLAY, xdotool, ImageMagick)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
count="${2:-8000}"
[ -n "${DISPLAY:-}" ] || { echo "bench_preview_reload: no DISPLAY" >&2; exit 1; }
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/data"
convert -size 64x48 xc:'rgb(200,40,40)' "$work/small.jpg"
for i in $(seq 10000 $((10000 + count - 1))); do cp "$work/small.jpg" "$work/data/p$i.jpg"; done
printf '@sync\n0 track 1 type 1 object p10000.jpg move 0 0 duration 600.0\n' > "$work/data/script.txt"

stats="$work/stats"
reloads() { grep -c "^korvane-preview: reload" "$stats" || true; }
# Waits for the reload after the one counted before, and prints its load time.
next_reload() {
  local before="$1" deadline=$(( $(date +%s) + 300 ))
  while [ "$(reloads)" -le "$before" ]; do
    [ "$(date +%s)" -lt "$deadline" ] || { echo "bench_preview_reload: no reload" >&2; exit 1; }
    sleep 0.05
  done
  grep "^korvane-preview: reload" "$stats" | tail -1 | sed 's/.*checks and loads \([0-9.]*\) ms.*/\1/'
}
ratio() { if [ -n "$2" ]; then echo "scale=2; $1 / $2" | bc; else echo "?"; fi; }

(cd "$work" && SDL_AUDIODRIVER=dummy exec "$build/tools/korvane-preview" --stats --size 320x240 2>"$stats") &
pid=$!
window=""
for _ in $(seq 1 600); do
  window="$(xdotool search --pid "$pid" 2>/dev/null | head -1 || true)"
  [ -n "$window" ] && grep -q "^korvane-preview: start" "$stats" && break
  # A build that does not say its start-up load: its first show time in the title.
  case "$(xdotool getwindowname "$window" 2>/dev/null || true)" in "Korvane preview "[0-9]*) sleep 1; grep -q "^korvane-preview: start" "$stats" || break;; esac
  sleep 0.1
done
fresh="$(sed -n 's/^korvane-preview: start: data\/ loaded and checked in \([0-9.]*\) ms/\1/p' "$stats")"
echo "$count pictures: a fresh start loads data/ in ${fresh:-?} ms"
sleep 1
for round in 1 2 3; do
  before="$(reloads)"
  xdotool key --window "$window" r
  ms="$(next_reload "$before")"
  echo "R $round: $ms ms, $(ratio "$ms" "$fresh") times the fresh start"
  sleep 0.5
done
for round in 1 2 3; do
  before="$(reloads)"
  touch "$work"/data/p*.jpg
  ms="$(next_reload "$before")"
  echo "every picture touched $round: $ms ms, $(ratio "$ms" "$fresh") times the fresh start"
  sleep 0.5
done
xdotool key --window "$window" Escape
wait "$pid" || true
pid=""
