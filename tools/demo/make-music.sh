#!/usr/bin/env bash
# Writes the sample show's music: 60 seconds at 120 beats a minute (a beat is
# 500 ms, a bar 2 s), a pad over four chords, a kick, off-beat hats and a bass.
# Usage: tools/demo/make-music.sh OUT.ogg          (needs sox with Ogg Vorbis)
set -euo pipefail
out="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
rate=(-r 22050)

# name root third fifth (Hz): A minor, F, C, G, four seconds each.
chords=("220.00 261.63 329.63" "174.61 220.00 261.63" "261.63 329.63 392.00" "196.00 246.94 293.66")
roots=(110.00 87.31 130.81 98.00)

pad_parts=()
bass_parts=()
for bar in $(seq 0 14); do
  i=$((bar % 4))
  read -r a b c <<<"${chords[$i]}"
  for f in "$a" "$b" "$c"; do
    sox -n "${rate[@]}" -c 1 "$work/tone$f.wav" synth 4 triangle "$f" vol 0.3
  done
  sox -m "$work/tone$a.wav" "$work/tone$b.wav" "$work/tone$c.wav" "$work/pad$bar.wav" \
    tremolo 3 30 fade t 0.6 4 0.8 vol 0.6
  pad_parts+=("$work/pad$bar.wav")
  # Eight bass notes a chord, quieter in the intro and outro.
  sox -n "${rate[@]}" -c 1 "$work/bassnote$bar.wav" synth 0.45 square "${roots[$i]}" \
    vol 0.16 lowpass 600 fade q 0.005 0.45 0.2 pad 0 0.05
  sox "$work/bassnote$bar.wav" "$work/bass$bar.wav" repeat 7
  bass_parts+=("$work/bass$bar.wav")
done
sox "${pad_parts[@]}" "$work/pad.wav"
sox "${bass_parts[@]}" "$work/bassline.wav"
sox "$work/bassline.wav" "$work/bass.wav" pad 8 trim 0 60

# Kick on every beat from 8 s to 56 s; hats on the off-beats from 16 s to 52 s.
sox -n "${rate[@]}" -c 1 "$work/kick1.wav" synth 0.14 sine 160-45 fade q 0.002 0.14 0.1 pad 0 0.36 vol 0.9
sox "$work/kick1.wav" "$work/kicks.wav" repeat 95
sox "$work/kicks.wav" "$work/kick.wav" pad 8 4
sox -n "${rate[@]}" -c 1 "$work/hat1.wav" synth 0.05 whitenoise vol 0.25 highpass 6000 fade q 0.001 0.05 0.04 pad 0.25 0.2
sox "$work/hat1.wav" "$work/hats.wav" repeat 71
sox "$work/hats.wav" "$work/hat.wav" pad 16 8

sox -m "$work/pad.wav" "$work/bass.wav" "$work/kick.wav" "$work/hat.wav" -C 1 "$out" \
  trim 0 60 fade t 0 60 3 norm -1
