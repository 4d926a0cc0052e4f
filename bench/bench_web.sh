#!/usr/bin/env bash
# The web player on the sample show, served on 127.0.0.1 and played in
# Debian's Chromium without a display (WebGL by SwiftShader, on the
# processors), beside the native player's rasteriser (Mesa's llvmpipe, through
# korvane-capture --null) over the same spans, in one run:
#   - the folder korvane-web writes, without the show's files (plain and gzipped);
#   - from navigation to the first frame on the canvas, and to the start
#     button (the music decoded), median of five loads;
#   - frames a second while playing, over 0-10 s and over the tube, 26-36 s.
# The page's rate is capped by the display's refresh (60 a second);
# korvane-capture --null composes as fast as it can.
# Usage: bench/bench_web.sh [BUILD]    (a Release build; scripts/build-web.sh first)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
drive=(node "$root/tests/web/drive.mjs")

"$build/tools/korvane-web" "$root/examples/demo" "$work/web" > /dev/null
echo "== the folder without the show's files"
(cd "$work/web" && for f in index.html player.js player.css korvane.js korvane.wasm show.json; do
  printf '%-14s %8d bytes, %8d gzipped\n' "$f" "$(stat -c %s "$f")" "$(gzip -9c "$f" | wc -c)"
done)
total=$(cd "$work/web" && cat index.html player.js player.css korvane.js korvane.wasm show.json | wc -c)
zipped=$(cd "$work/web" && for f in index.html player.js player.css korvane.js korvane.wasm show.json; do gzip -9c "$f"; done | wc -c)
echo "all: $total bytes, $zipped gzipped"

echo "== from navigation to the first frame, and to the start button (ms)"
for i in 1 2 3 4 5; do
  "${drive[@]}" open "$work/web" | awk '/^loaded /{l=$2} /^offered /{o=$2} END{printf "%.0f %.0f\n", l, o}'
done | sort -n | awk '{a[NR]=$1; b[NR]=$2} END{printf "first frame %d ms, start button %d ms (median of %d)\n", a[3], b[3], NR}'

echo "== frames a second"
for span in "0 10.0" "26.0 36.0"; do
  set -- $span
  page=$("${drive[@]}" rate "$work/web" "$1" 10 | awk '/^fps /{printf "%.1f", $2}')
  native=$("$build/tools/korvane-capture" --dir "$root/examples/demo" --null --from "$1" --to "$2" --stats 2>&1 |
    sed -n 's/.* \([0-9.]*\) frames\/s.*/\1/p')
  echo "from $1 s to $2 s: page $page, korvane-capture --null $native"
done
