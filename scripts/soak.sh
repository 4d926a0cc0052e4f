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
mkdir "$work/data"
cp examples/demo/data/*.jpg examples/demo/data/*.3ds examples/demo/data/*.ogg "$work/data/"

# The show: a group of statements every half second, cycling through
# images (plain, masked, blended, moving, recoloured), the three models
# (own texture, given texture, sphere mapped, wireframe), the tube and the
# beat-synchronised pulse; an "end" closes it.
awk -v minutes="$minutes" '
function at(step) { return sprintf("%.1f", step / 2) }
BEGIN {
  split("sky.jpg title.jpg subtitle.jpg credits.jpg lava.jpg checker.jpg", images, " ")
  split("torus.3ds cube.3ds ship.3ds", models, " ")
  print "Define ADD blendFunc GL_SRC_ALPHA GL_ONE"
  print "Define OVER blendFunc GL_SRC_ALPHA GL_ONE_MINUS_SRC_ALPHA"
  print "Define IMAGE type 1"
  print "Define MODEL type 0"
  print "Default !fullscreen 640x480"
  print "Sync 21 0.5 22 0.5 23 0.5 22 0.5"
  print "Sync 24 0.25 25 0.25"
  print "@sync"
  print "0 track 21 IMAGE object pulse1.jpg center scale 2 2 1 to 2.6 2.6 1 ADD insync"
  print "0 track 22 IMAGE object pulse2.jpg center scale 1.6 1.6 1 to 2.2 2.2 1 ADD insync"
  print "0 track 23 IMAGE object pulse3.jpg center scale 1.2 1.2 1 to 1.8 1.8 1 ADD insync"
  print "0 track 24 IMAGE object glow.jpg move 0 0 ADD opacity 1 to 0 insync"
  print "0 track 25 IMAGE object lines.jpg move 0 0 ADD opacity 0.5 insync"
  end = minutes * 60
  for (step = 0; step < end * 2; step++) {
    t = at(step); k = step % 12
    img = images[step % 6 + 1]; mdl = models[step % 3 + 1]
    print t " track 10 IMAGE object " img " move 0 0 opacity 0 to 1 duration 1.0"
    if (k == 0 || k == 6)
      print t " track 3 IMAGE object " img " mask glow.jpg center scale 0.8 0.8 1 to 1.2 1.2 1 angle 0 to 90 rotate 0 0 1 OVER duration 3.0"
    if (k == 1 || k == 7)
      print t " track 5 MODEL object " mdl " translate 0 0 -10 to 0 0.5 -8 angle 0 to 360 rotate 1 0.6 0.2 duration 2.5"
    if (k == 2)
      print t " track 6 MODEL object " mdl " mask lava.jpg envmap translate -3 0 -12 color 1 0.3 0.6 to 0.3 0.6 1 blend ADD duration 2.0"
    if (k == 3)
      print t " scene 1 track 7 translate 0 0 -42 angle 0 to 900 rotate 0 0 1 duration 3.0"
    if (k == 4)
      print t " track 1 IMAGE object pulse1.jpg sync " int(step / 12) % 2 " duration 4.0"
    if (k == 5)
      print t " track 4 MODEL object " mdl " wireframe color 0.3 1 0.6 translate -5 -1 -14 to 5 1 -9 scale 1.5 1.5 1.5 duration 1.5"
    if (k == 9)
      print t " track 2 IMAGE object subtitle.jpg move 32 40 to 64 60 color 0.6 0.9 1 opacity 0 to 1 duration 2.0"
  }
  print end ".0 end"
}' > "$work/data/script.txt"
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
