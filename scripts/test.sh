#!/usr/bin/env bash
# Installs what Korvane needs, builds it in build/ (the web player in
# build/web) and runs its tests.
# Usage: scripts/test.sh [ctest arguments]     (e.g. -R Player, -j4)
# Tests that open windows start an X server of their own (Xvfb), so they run
# without a display and side by side; they fail, rather than skip, when none
# can be started. The web player's tests run it in headless Chromium.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

bash "$root/scripts/install-deps.sh" --web --browser
cmake -S "$root" -B "$root/build"
cmake --build "$root/build" -j"$(nproc)"
bash "$root/scripts/build-web.sh"
export KORVANE_REQUIRE_DISPLAY="${KORVANE_REQUIRE_DISPLAY:-1}"
export KORVANE_REQUIRE_WEB="${KORVANE_REQUIRE_WEB:-1}"
ctest --test-dir "$root/build" --output-on-failure -j2 "$@"
