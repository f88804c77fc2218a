#!/bin/sh
# Measures what Sollux.exe itself costs: the program with a command interpreter that ends at
# once (so the batch file's copies and pauses don't count), against a Windows program that does
# nothing, both under one warm wineserver. Prints the median wall time of each and their ratio.
#
#   tools/benchmark.sh [RUNS]      (default 21 runs each)
set -eu
cd "$(dirname "$0")/.."
runs=${1:-21}
tools/setup.sh >/dev/null
cmake --preset test >/dev/null
cmake --build --preset test --target Sollux fixture_noop >/dev/null

prefix=build/test/wineprefix-bench
sollux=build/test/Sollux.exe
noop=build/test/test/fixtures/noop.exe
trap 'tools/wine-run.sh --stop "$prefix"' EXIT

# Wine takes COMSPEC from the registry, not from the Unix environment.
noop_windows="Z:$(realpath "$noop" | tr / '\\')"
tools/wine-run.sh "$prefix" reg add 'HKCU\Environment' /v COMSPEC /d "$noop_windows" /f >/dev/null
tools/wine-run.sh --stop "$prefix"
tools/wine-run.sh --start "$prefix"

# milliseconds PROGRAM: the wall time of one run.
milliseconds() {
  start=$(date +%s%N)
  tools/wine-run.sh "$prefix" "$1" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

milliseconds "$sollux" >/dev/null  # warm up: first runs load the DLLs
milliseconds "$noop" >/dev/null
: >build/test/bench-sollux.txt
: >build/test/bench-noop.txt
i=0
while [ "$i" -lt "$runs" ]; do
  milliseconds "$sollux" >>build/test/bench-sollux.txt
  milliseconds "$noop" >>build/test/bench-noop.txt
  i=$((i + 1))
done
s=$(median <build/test/bench-sollux.txt)
n=$(median <build/test/bench-noop.txt)
echo "runs each:            $runs"
echo "Sollux.exe (median):  $s ms"
echo "do-nothing (median):  $n ms"
awk -v s="$s" -v n="$n" 'BEGIN { printf "ratio:                %.1f\n", s / n }'
