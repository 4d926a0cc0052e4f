#!/usr/bin/env bash
# Builds a fuzz target with clang and runs it.
#   fuzz/run.sh TARGET SECONDS   fuzz for SECONDS, starting from fuzz/corpus/TARGET;
#                                new inputs go to build-fuzz/work/TARGET
#   fuzz/run.sh TARGET merge     minimise the committed corpus with what the runs found
# TARGET is script, check (the checker's script checks), 3ds or jpeg.
# Findings are written to build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:?usage: fuzz/run.sh script|check|3ds|jpeg SECONDS|merge}
what=${2:?usage: fuzz/run.sh script|check|3ds|jpeg SECONDS|merge}
case "$target" in script|check|3ds|jpeg) ;; *) echo "run.sh: unknown target $target" >&2; exit 2 ;; esac

build=build-fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DKORVANE_FUZZ=ON -DKORVANE_TESTS=OFF -DKORVANE_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j2 --target "fuzz_$target"

corpus=fuzz/corpus/$target
work=$build/work/$target
mkdir -p "$corpus" "$work" "$build/artifacts"
timeout=10
# A few bytes of definitions can expand to megabytes, which the checker reads more than once.
[ "$target" = check ] && timeout=30
options=(-artifact_prefix="$build/artifacts/$target-" -timeout=$timeout -rss_limit_mb=2048)
dict=fuzz/$target.dict
[ "$target" = check ] && dict=fuzz/script.dict  # the same language
[ -f "$dict" ] && options+=(-dict="$dict")

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

if [ "$what" = merge ]; then
  fresh=$build/merged/$target
  rm -rf "$fresh" && mkdir -p "$fresh"
  # Edges only, not hit counts: keeps the committed corpus to tens of files.
  "$build/fuzz/fuzz_$target" "${options[@]}" -merge=1 -use_counters=0 "$fresh" "$corpus" "$work"
  rm -f "$corpus"/* && cp "$fresh"/* "$corpus"/
  echo "run.sh: $(ls "$corpus" | wc -l) files, $(du -sh "$corpus" | cut -f1) in $corpus"
else
  exec "$build/fuzz/fuzz_$target" "${options[@]}" -max_total_time="$what" -print_final_stats=1 "$work" "$corpus"
fi
