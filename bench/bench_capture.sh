#!/usr/bin/env bash
# Capture throughput: a five-second show in the sample show's pictures and
# models (a full-screen image, the tube, two models, a fading title) at
# 640x480 and 1920x1080, composed only, to PNG frames and to a video.
# korvane-capture --stats says where the time went.
# Usage: bench/bench_capture.sh [path/to/korvane-capture]   (a Release build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tool="${1:-$root/build/tools/korvane-capture}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/show/data"
for f in sky.jpg title.jpg lava.jpg checker.jpg torus.3ds cube.3ds music.ogg; do
  cp "$root/examples/demo/data/$f" "$work/show/data/"
done
cat > "$work/show/data/script.txt" <<'SHOW'
Default !fullscreen 640x480
@sync
0 track 10 type 1 object sky.jpg center scale 3 3 1 duration 5.0
0 scene 1 track 7 translate 0 0 -38 angle 0 to 300 rotate 0 0 1 duration 5.0
0 track 5 type 0 object torus.3ds translate 0 0 -8 angle 0 to 360 rotate 1 0.6 0.2 duration 5.0
0 track 6 type 0 object cube.3ds mask lava.jpg translate -3 0 -11 angle 0 to 360 rotate 0.3 1 0.2 duration 5.0
0 track 3 type 1 object title.jpg center opacity 0 to 1 duration 5.0
5.0 end
@end
SHOW

for size in 640x480 1920x1080; do
  for output in null frames video; do
    case $output in
      null) args=(--null) ;;
      frames) args=(--frames "$work/frames") ;;
      video) args=(--video "$work/show.mp4") ;;
    esac
    echo "== $size, $output"
    "$tool" --dir "$work/show" --size "$size" --stats "${args[@]}" 2>&1 | sed 's/^korvane-capture: //'
    rm -rf "$work/frames" "$work/show.mp4"
  done
done
