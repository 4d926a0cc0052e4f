#!/usr/bin/env bash
# Builds the web player in build/web (korvane.js, korvane.wasm and the page
# that plays a show with them) with Debian's Emscripten. libjpeg-turbo for
# WebAssembly is built once from Debian's source package, in build/web-deps.
# It builds korvane-web (build/tools/korvane-web) too, which writes a show's
# folder with it.
# Usage: scripts/build-web.sh        (installs what it needs, as root or with sudo)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deps="$root/build/web-deps"
jpeg="$deps/libjpeg"

bash "$root/scripts/install-deps.sh" --web

# Debian's Emscripten runs its JavaScript tools with node, and finds their
# modules (acorn) among Debian's: a node installed from elsewhere must be told.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
# Emscripten keeps the libraries it builds in its cache; when the system's is
# not writable, one of the project's own.
if [ ! -w /usr/share/emscripten/cache ]; then export EM_CACHE="$deps/emscripten-cache"; fi

if [ ! -f "$jpeg/lib/libjpeg.a" ]; then
  echo "build-web: building libjpeg-turbo for WebAssembly from Debian's source package"
  src="$deps/libjpeg-source"
  rm -rf "$src" "$jpeg"
  mkdir -p "$src/lists/partial"
  # A source list of the project's own, so that the system's apt setup stays as it is.
  printf 'deb-src http://deb.debian.org/debian bookworm main\ndeb-src http://deb.debian.org/debian-security bookworm-security main\n' \
    > "$src/sources.list"
  apt=(apt-get -q -o Dir::Etc::SourceList="$src/sources.list" -o Dir::Etc::SourceParts=/nonexistent
       -o Dir::State::Lists="$src/lists" -o Debug::NoLocking=1)
  "${apt[@]}" update > "$src/apt.log"
  (cd "$src" && "${apt[@]}" source --download-only libjpeg-turbo >> "$src/apt.log" 2>&1)
  (cd "$src" && dpkg-source -x --no-check ./libjpeg-turbo_*.dsc tree > /dev/null)
  # Emscripten's CMake cannot work out the word size by running a program:
  # WebAssembly's size_t and long are 4 bytes.
  emcmake cmake -S "$src/tree" -B "$src/build" -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=0 \
    -DWITH_SIMD=0 -DWITH_TURBOJPEG=0 -DWITH_JAVA=0 \
    -DHAVE_SIZE_T=1 -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=1 -DUNSIGNED_LONG=4 > "$src/configure.log"
  cmake --build "$src/build" -j"$(nproc)" --target jpeg-static > "$src/build.log"
  mkdir -p "$jpeg/lib" "$jpeg/include"
  cp "$src/build/libjpeg.a" "$jpeg/lib/"
  cp "$src/tree/jpeglib.h" "$src/tree/jmorecfg.h" "$src/tree/jerror.h" "$src/build/jconfig.h" "$jpeg/include/"
fi

emcmake cmake -S "$root" -B "$root/build/web" -DCMAKE_BUILD_TYPE=Release -DKORVANE_WEB_JPEG="$jpeg" > /dev/null
cmake --build "$root/build/web" -j"$(nproc)"
echo "build-web: the web player is in $root/build/web"

# korvane-web, the native tool that writes a show's folder with it.
unset EM_CACHE
cmake -S "$root" -B "$root/build" > /dev/null
cmake --build "$root/build" -j"$(nproc)" --target korvane-web
echo "build-web: write a show's folder with $root/build/tools/korvane-web SHOW_DIR OUT_DIR"
