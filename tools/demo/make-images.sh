#!/usr/bin/env bash
# Writes the sample show's pictures with ImageMagick: gradients, patterns and
# text rendered to JPEG. Black is see-through in the show (images are blended
# additively), so most pictures are light on black.
# Usage: tools/demo/make-images.sh DATA_DIR        (needs ImageMagick and DejaVu fonts)
set -euo pipefail
out="$1"
mkdir -p "$out"
q=(-quality 88 -sampling-factor 2x2)

# Night sky over a warm horizon, with a fixed pattern of stars.
stars=$(awk 'BEGIN { srand(7); for (i = 0; i < 260; i++) {
  x = int(rand() * 640); y = int(rand() * 300); g = 150 + int(rand() * 105);
  printf "fill rgb(%d,%d,%d) point %d,%d ", g, g, g, x, y } }')
convert -size 640x480 gradient:'#06051e'-'#c8503c' \
  \( -size 640x480 gradient:'#000000'-'#301040' \) -compose screen -composite \
  -draw "$stars" "${q[@]}" "$out/sky.jpg"

# Title and credits: glowing text.
text_card() {  # file width height pointsize text colour
  convert -size "$2x$3" xc:black -font DejaVu-Sans-Bold -pointsize "$4" -gravity center \
    \( +clone -fill "$6" -annotate 0 "$5" -blur 0x8 \) -compose screen -composite \
    -fill white -annotate 0 "$5" "${q[@]}" "$out/$1"
}
text_card title.jpg 512 128 72 "KORVANE" '#ff40c0'
text_card subtitle.jpg 512 64 28 "scenes written in plain text" '#40c0ff'
text_card credits.jpg 512 128 40 "thanks for watching" '#ffb040'

# Model textures: the torus's own checker, lava for the cube, a chrome map for sphere mapping.
convert -size 32x32 xc:'#18c8d8' -size 32x32 xc:'#101848' +append \
  \( +clone -flop \) -append -write mpr:tile +delete -size 256x256 tile:mpr:tile \
  "${q[@]}" "$out/checker.jpg"
convert -seed 11 -size 256x256 plasma:'#ff3000'-'#300000' -blur 0x1 "${q[@]}" "$out/lava.jpg"
convert -size 256x128 gradient:'#f8f8ff'-'#4060c0' -size 256x128 gradient:'#503828'-'#e0c090' -append \
  "${q[@]}" "$out/chrome.jpg"

# Soft light: a mask and a flare.
convert -size 256x256 radial-gradient:'#ffffff'-'#000000' "${q[@]}" "$out/glow.jpg"

# Three pulses of one size for the sync list.
ring() {  # file colour radius
  convert -size 256x256 xc:black -fill none -stroke "$2" -strokewidth 10 \
    -draw "circle 128,128 128,$((128 - $3))" -blur 0x3 "${q[@]}" "$out/$1"
}
ring pulse1.jpg '#ff3080' 40
ring pulse2.jpg '#30ff90' 75
ring pulse3.jpg '#3090ff' 110

# Scan lines laid over the whole screen.
convert -size 1x4 xc:'#202030' -fill black -draw 'point 0,0 point 0,1' -write mpr:line +delete \
  -size 640x480 tile:mpr:line "${q[@]}" "$out/lines.jpg"
