#!/usr/bin/env bash
# Builds the whole project with sanitizers and runs the test suite on it.
#   sanitizers/run-tests.sh address   AddressSanitizer + UndefinedBehaviorSanitizer
#   sanitizers/run-tests.sh leak      the same build once more, with leak detection
# Both use build-asan. The leak pass is apart so that a leak and a memory
# error are told apart, and the first pass is not slowed by the exit-time scan.
# Every program the tests start (the player, the tools) is sanitized too; the
# first error fails its test. Extra arguments go to ctest.
# KORVANE_SANITIZE_SKIP is a ctest -E pattern for tests too slow to run here.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:?usage: sanitizers/run-tests.sh address|leak [ctest arguments]}
shift
case "$mode" in address|leak) ;; *) echo "run-tests.sh: unknown mode $mode" >&2; exit 2 ;; esac

build=build-asan
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKORVANE_SANITIZE=address,undefined -DKORVANE_BENCH=OFF
cmake --build "$build" -j2

supp=$PWD/sanitizers
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$supp/lsan.supp:print_suppressions=0
if [ "$mode" = address ]; then
  export ASAN_OPTIONS=halt_on_error=1:detect_leaks=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
else
  # The shim keeps unloaded libraries mapped so their leaks can be named;
  # it comes before the ASan runtime, hence the link-order check is off.
  cc -shared -fPIC -O2 -o "$build/keep-modules.so" sanitizers/keep_modules.c
  export LD_PRELOAD=$PWD/$build/keep-modules.so
  export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:verify_asan_link_order=0
fi

pattern=${KORVANE_SANITIZE_SKIP:-}
if [ "$mode" = leak ]; then
  # Under script(1)'s terminal session LSan's stop-the-world tracer faults
  # (signal 11) before it scans the capture tool: nothing to check there.
  pattern=${pattern:+$pattern|}Capture.ProgressBarOnATerminal
fi
skip=()
[ -n "$pattern" ] && skip=(-E "$pattern")
ctest --test-dir "$build" --output-on-failure -j2 "${skip[@]}" "$@"
