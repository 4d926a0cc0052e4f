#!/usr/bin/env bash
# Installs what Korvane needs, builds it, and plays a show; without a display
# it renders the show to a video file and says where it is.
# Usage: scripts/play.sh [SHOW_DIR]     (default: the sample show)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
show="${1:-$root/examples/demo}"

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" >/dev/null
cmake --build "$root/build" -j2 --target korvane korvane-capture

if [ ! -f "$show/data/script.txt" ]; then
  echo "play: $show/data/script.txt not found" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  # No window to play in: render the show to a 1080p video instead, with its
  # music; a show of another shape than 16:9 sits between black bars.
  video="$root/build/$(basename "$show").mp4"
  echo "play: no display (DISPLAY is not set); rendering $show to a 1920x1080 video instead"
  "$root/build/tools/korvane-capture" --dir "$show" --resolution 1920x1080 --video "$video"
  echo "play: the show is in $video"
  exit 0
fi
echo "play: playing $show (Escape ends it)"
cd "$show" && exec "$root/build/korvane"
