#!/usr/bin/env bash
# Installs what Korvane needs, builds it, and plays a show.
# Usage: scripts/play.sh [SHOW_DIR]     (default: the sample show)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
show="${1:-$root/examples/minimal}"

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" >/dev/null
cmake --build "$root/build" -j2

if [ ! -f "$show/data/script.txt" ]; then
  echo "play: $show/data/script.txt not found" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "play: no display (DISPLAY is not set); the player needs a window to show the show in" >&2
  exit 1
fi
echo "play: playing $show (Escape ends it)"
cd "$show" && exec "$root/build/korvane"
