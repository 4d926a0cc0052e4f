#!/usr/bin/env bash
# Remakes every asset of the sample show in examples/demo/data from the
# generators beside this script. Needs a build (for the model generator),
# ImageMagick with DejaVu fonts, and sox with Ogg Vorbis.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
data="$root/examples/demo/data"
cmake --build "$root/build" --target korvane-demo-models >/dev/null
"$root/tools/demo/make-images.sh" "$data"
"$root/build/tools/korvane-demo-models" "$data"
"$root/tools/demo/make-music.sh" "$data/music.ogg"
