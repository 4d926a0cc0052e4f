#!/usr/bin/env bash
# Seeking a generated 10-minute show with sync lists: the playhead to 10:00
# and back to 0:00 (bench_seek, target under 50 ms each), and the wall time
# of korvane-capture --shot 600.0, which fast-forwards to its frame
# (target under 1 s).
# Usage: bench/bench_seek.sh [BUILD_DIR]   (a Release build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Ten minutes of statements; "end" a second later, so the shot at 600 s exists.
"$root/scripts/long-show.sh" "$work" 10 601
"$build/bench/bench_seek" "$work" 600

for i in 1 2 3; do
  start=$(date +%s%N)
  "$build/tools/korvane-capture" --dir "$work" --shot 600.0 --out "$work/shot.png"
  echo "korvane-capture --shot 600.0: $(( ($(date +%s%N) - start) / 1000000 )) ms wall"
done
