#!/usr/bin/env bash
# Soak test: generates a long show with thousands of statements and every
# kind of scene, composes all of it with `korvane-capture --null` and samples
# the capture's resident memory. Fails when the memory at the end exceeds the
# memory after the first minute of show time by more than noise.
#   scripts/soak.sh [BUILD_DIR] [MINUTES]     (defaults: build, 30)
# SOAK_SIZE (default 160x120) is the render size, SOAK_FPS (default 60) the
# frame rate of show time, SOAK_KEEP=1 keeps the show and the samples.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
minutes=${2:-30}
size=${SOAK_SIZE:-160x120}
fps=${SOAK_FPS:-60}
capture=$build/tools/korvane-capture
[ -x "$capture" ] || { echo "soak: no $capture; build first" >&2; exit 2; }

work=$(mktemp -d /tmp/korvane-soak.XXXXXX)
[ "${SOAK_KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
scripts/long-show.sh "$work" "$minutes"
statements=$(grep -c '^[0-9]' "$work/data/script.txt")
echo "soak: $statements statements, $minutes min of show time at $fps fps, $size"

# A terminal for the capture, so it prints its progress (with the show time).
script -qfec "echo \$\$ > '$work/pid'; exec '$capture' --dir '$work' --fps $fps --size $size --null" \
  "$work/capture.log" >/dev/null </dev/null &
runner=$!
for _ in $(seq 1 100); do [ -s "$work/pid" ] && break; sleep 0.1; done
pid=$(cat "$work/pid")

# One sample every 2 s: wall seconds, resident kB, show seconds.
start=$(date +%s)
while kill -0 "$pid" 2>/dev/null; do
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
  show=$(tail -c 400 "$work/capture.log" | tr '\r' '\n' | grep -o 'show [0-9.]* s' | tail -1 | awk '{print $2}' || true)
  [ -n "$rss" ] && echo "$(( $(date +%s) - start )) $rss ${show:-0}" >> "$work/samples"
  sleep 2
done
status=0
wait "$runner" || status=$?
[ "$status" = 0 ] || { echo "soak: capture failed ($status)" >&2; tail -c 2000 "$work/capture.log" >&2; exit 1; }

# Memory after the first minute of show time, and the last sample.
awk -v wall="$(( $(date +%s) - start ))" '
  $3 >= 60 && first == "" { first = $2; firstAt = $3 }
  { last = $2; lastAt = $3; if ($2 > peak) peak = $2 }
  END {
    if (first == "") { print "soak: the show was shorter than a minute" > "/dev/stderr"; exit 2 }
    growth = last - first
    printf "soak: RSS %.1f MB at show %.0f s, %.1f MB at show %.0f s (peak %.1f MB), growth %+.1f MB; %d s wall\n",
           first / 1024, firstAt, last / 1024, lastAt, peak / 1024, growth / 1024, wall
    # Noise: allocator and driver caches; 4 MB or 5%, whichever is larger.
    limit = first * 0.05; if (limit < 4096) limit = 4096
    if (growth > limit) { print "soak: memory grew beyond noise" > "/dev/stderr"; exit 1 }
  }' "$work/samples"
