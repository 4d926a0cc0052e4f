#!/usr/bin/env bash
# korvane-check on scripts made to grow its work: each case at n and at 4n,
# one run each, and the ratio of the processor times (about 4 when the work
# grows linearly, 16 when it grows with the square).
#   sync     one Sync line of n pairs
#   options  one Default line of n words the player does not know
#   stray    one statement of n distinct words that are no keyword
#   defs     n definitions, each holding a stray word, and n statements using one each
#   chain    a definition chain 10 deep (each naming the one before twice) and n statements using it
#   marks    --timeline of 200 sync scenes following a list of n marks, only the first with a scene
# Usage: bench/bench_check.sh [path/to/korvane-check]   (a Release build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
check="$(realpath "${1:-$root/build/tools/korvane-check}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Writes the script of case $1 at size $2 to $work/$1-$2/data/script.txt.
generate() {
  mkdir -p "$work/$1-$2/data"
  awk -v kind="$1" -v n="$2" 'BEGIN {
    if (kind == "sync") {
      line = "Sync"; for (i = 0; i < n; i++) line = line " " (i % 50) " 0." (i % 9 + 1); print line
      print "@sync"; print "0 track 1 type 1 object a.jpg duration 1.0"; print "1.0 end"
    } else if (kind == "options") {
      line = "Default"; for (i = 0; i < n; i++) line = line " opt" i; print line
      print "@sync"; print "0 end"
    } else if (kind == "stray") {
      print "@sync"
      line = "0 track 1 type 1 object a.jpg"; for (i = 0; i < n; i++) line = line " w" i; print line " duration 1.0"
      print "1.0 end"
    } else if (kind == "defs") {
      for (i = 0; i < n; i++) print "Define D" i " opacity 0." (i % 9) " junk" i
      print "@sync"
      for (i = 0; i < n; i++) printf "%d.%02d track %d type 1 object a.jpg D%d duration 1.0\n", i / 100, i % 100, i % 7, i
      print "999 end"
    } else if (kind == "chain") {
      print "Define C0 opacity 0.5 x0"
      for (i = 1; i <= 10; i++) print "Define C" i " C" (i - 1) " C" (i - 1) " x" i
      print "@sync"
      for (i = 0; i < n; i++) printf "%d.%d track 1 type 1 object a.jpg C10 duration 1.0\n", i / 10, i % 10
      print "999 end"
    } else if (kind == "marks") {
      line = "Sync 5 0.1"; for (i = 0; i < n; i++) line = line " " (1000 + i) " 0.1"; print line
      print "@sync"; print "0 track 5 type 1 object a.jpg insync"
      for (i = 0; i < 200; i++) print i ".0 track 1 type 1 object a.jpg sync 0 duration 100.0"
      print "9999.0 end"
    }
  }' > "$work/$1-$2/data/script.txt"
}

# Processor seconds (user and system) korvane-check takes on case $1 at
# size $2: steadier than the wall clock on a busy machine.
seconds() {
  local picture=()
  [ "$1" = marks ] && picture=(--timeline "$work/$1-$2.svg")
  local TIMEFORMAT="%3U %3S"
  { time "$check" "$work/$1-$2" "${picture[@]}" > /dev/null 2>&1 || true; } 2>&1 | awk '{ printf "%.3f", $1 + $2 }'
}

printf "%-8s %8s %9s %8s %9s %6s\n" case n seconds 4n seconds ratio
for entry in sync:20000 options:10000 stray:40000 defs:20000 chain:400 marks:20000; do
  kind=${entry%%:*} n=${entry##*:}
  generate "$kind" "$n"
  generate "$kind" $((4 * n))
  small=$(seconds "$kind" "$n")
  large=$(seconds "$kind" $((4 * n)))
  printf "%-8s %8d %9s %8d %9s %6s\n" "$kind" "$n" "$small" $((4 * n)) "$large" \
    "$(echo "$small $large" | awk '{ printf "%.1f", ($1 > 0 ? $2 / $1 : 0) }')"
done
