#!/usr/bin/env bash
# Installs everything Korvane needs to build, play and test, from Debian's archive.
# Usage: scripts/install-deps.sh [--web] [--browser]    (as root, or with sudo available)
#   --web       also what the web player is built with (Emscripten)
#   --browser   also what its tests run in: Chromium, and puppeteer-core (pinned
#               in tests/web/package-lock.json) from npm
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
web=0
browser=0
for option in "$@"; do
  case "$option" in
    --web) web=1 ;;
    --browser) browser=1 ;;
    *) echo "install-deps: unknown option $option" >&2; exit 2 ;;
  esac
done

packages=(
  # build
  build-essential cmake pkg-config
  # engine libraries
  libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libjpeg62-turbo-dev libsdl-mixer1.2-dev
  # korvane-capture: PNG frames, and videos through ffmpeg (ffprobe comes with it), RGB to YUV by libyuv
  libpng-dev ffmpeg libyuv-dev
  # korvane-preview: the overlay's text
  libsdl-ttf2.0-dev fonts-dejavu-core
  # korvane-preview: decoding its music (MP3, Ogg Vorbis, and XM and IT through libopenmpt)
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  # korvane-check --beats and korvane-preview: the music's tempo and beats
  libaubio-dev
  # tests: framework, X server and window tools, programs that make test files
  googletest libgtest-dev xvfb xdotool x11-apps x11-utils imagemagick libjpeg-turbo-progs libx11-dev
  sox libsox-fmt-base libsox-fmt-mp3 assimp-testmodels assimp-utils
  # real models of several meshes, from a game
  gl-117-data
  # the checker's tests: xmllint reads its timeline SVG
  libxml2-utils
  # fuzz/run.sh: clang and its libFuzzer runtime
  clang-14 libclang-rt-14-dev
)
# The web player: Emscripten, and dpkg-source for libjpeg-turbo's source package.
if [ "$web" = 1 ]; then packages+=(emscripten dpkg-dev xz-utils); fi
# Its tests: a browser without a display, driven from node.
if [ "$browser" = 1 ]; then
  packages+=(chromium nodejs)
  command -v npm > /dev/null || packages+=(npm)
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: every package is installed"
else
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # A fresh machine has no package lists yet; refresh them when the install cannot find a package.
  if ! $sudo apt-get install -y --no-install-recommends "${missing[@]}"; then
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
fi

# puppeteer-core at the version the lock file pins, never a browser of its own.
if [ "$browser" = 1 ] && ! (cd "$root/tests/web" && npm ls --silent > /dev/null 2>&1); then
  echo "install-deps: installing puppeteer-core from npm"
  (cd "$root/tests/web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi
