#!/usr/bin/env bash
# Writes a long show into SHOW_DIR/data: the sample show's pictures, models
# and music, and a script with a group of statements every half second and
# two beat-synchronised sync lists for MINUTES minutes, closed by "end" at
# END_SECONDS of show time (default: at the last minute's end).
# Used by the soak test and the seek benchmark.
#   scripts/long-show.sh SHOW_DIR MINUTES [END_SECONDS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
show=$1
minutes=$2
ending=${3:-$((minutes * 60))}
cd "$root"
mkdir -p "$show/data"
cp examples/demo/data/*.jpg examples/demo/data/*.3ds examples/demo/data/*.ogg "$show/data/"

# The show: a group of statements every half second, cycling through
# images (plain, masked, blended, moving, recoloured), the three models
# (own texture, given texture, sphere mapped, wireframe), the tube and the
# beat-synchronised pulse; an "end" closes it.
awk -v minutes="$minutes" -v ending="$ending" '
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
  print ending ".0 end"
}' > "$show/data/script.txt"
