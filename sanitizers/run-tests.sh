#!/usr/bin/env bash
# Builds the whole project with sanitizers and runs the test suite on it.
#   sanitizers/run-tests.sh address   AddressSanitizer + UndefinedBehaviorSanitizer (build-asan)
#   sanitizers/run-tests.sh leak      LeakSanitizer alone (build-lsan)
# Every program the tests start (the player, the tools) is sanitized too; the
# first error fails its test. Extra arguments go to ctest.
# KORVANE_SANITIZE_SKIP is a ctest -E pattern for tests too slow to run here.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:?usage: sanitizers/run-tests.sh address|leak [ctest arguments]}
shift
case "$mode" in
  address) build=build-asan; sanitizers=address,undefined ;;
  leak) build=build-lsan; sanitizers=leak ;;
  *) echo "run-tests.sh: unknown mode $mode" >&2; exit 2 ;;
esac

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKORVANE_SANITIZE="$sanitizers" -DKORVANE_BENCH=OFF
cmake --build "$build" -j2

supp=$PWD/sanitizers
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$supp/lsan.supp:print_suppressions=0
if [ "$mode" = address ]; then
  # Leaks are the leak pass's business: ASan's leak check is slower and
  # would report them twice.
  export ASAN_OPTIONS=halt_on_error=1:detect_leaks=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
else
  export ASAN_OPTIONS=detect_leaks=1
fi

skip=()
[ -n "${KORVANE_SANITIZE_SKIP:-}" ] && skip=(-E "$KORVANE_SANITIZE_SKIP")
ctest --test-dir "$build" --output-on-failure "${skip[@]}" "$@"
