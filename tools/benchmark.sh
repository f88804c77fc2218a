#!/bin/sh
# Measures what Sollux.exe itself costs: a whole run against a floor program that makes the same
# calls to Windows and nothing else (test/fixtures/floor.cc), both under one warm wineserver, in
# a prefix with PLUMA's settings and a USB stick as E:. COMSPEC names a program that ends at once,
# so the batch file's copies and pauses don't count. Both programs are timed stripped, as the
# release zip ships Sollux.exe: the test build's debug sections (13 MB) would otherwise be read
# in at every start. Prints the median wall time of Sollux.exe, of the floor and of a program
# that does nothing (what starting a Windows program costs), and the ratio of Sollux.exe to the
# floor: the median of the ratios of the runs taken side by side, which the drifting speed of a
# shared machine disturbs less than the ratio of two medians, and that one too.
#
#   tools/benchmark.sh [RUNS]      (default 21 runs each)
#
# SOLLUX_BUILD names another build folder of the test preset than build/test (its prefix and
# stick go there too), so that a benchmark need not share a tree with a test run.
set -eu
cd "$(dirname "$0")/.."
runs=${1:-21}
build=${SOLLUX_BUILD:-build/test}
tools/bench-build.sh "$build" Sollux fixture_floor fixture_noop

prefix=$build/wineprefix-bench
stick=$build/bench-stick
noop=$build/test/fixtures/noop.exe
stripped=$build/bench-stripped
mkdir -p "$stripped"
sollux=$stripped/Sollux.exe
floor=$stripped/floor.exe
x86_64-w64-mingw32-strip -o "$sollux" "$build/Sollux.exe"
x86_64-w64-mingw32-strip -o "$floor" "$build/test/fixtures/floor.exe"
trap 'tools/wine-run.sh --stop "$prefix"' EXIT

# A fresh stick each session: the records of every earlier session's runs (the folder list
# grows by 15 lines a run) would make each session slower than the one before.
rm -rf "$stick"
mkdir -p "$stick"
tools/wine-drives.sh "$prefix" "e=floppy:$(realpath "$stick")"
tools/wine-run.sh --start "$prefix"
reg() { tools/wine-run.sh "$prefix" reg "$@" >/dev/null; }
# Wine takes COMSPEC from the registry, not from the Unix environment.
reg add 'HKCU\Environment' /v COMSPEC /d "Z:$(realpath "$noop" | tr / '\\')" /f
# PLUMA's four data folders and its base folder, all there.
pluma='HKCU\Software\Morvaine\PLUMA\PLUMA'
for value in Master PatData PatMake Data; do
  mkdir -p "$prefix/drive_c/PLUMA/$value"
  reg add "$pluma\\FilePath" /v "User_$value" /d "C:\\PLUMA\\$value" /f
done
# The base folder's value has a Japanese name, "latest base directory name" (UTF-8 below).
reg add "$pluma\\PlnCtrl" /v "$(printf '\346\234\200\346\226\260\343\201\256\345\237\272\346\234\254\343\203\207\343\202\243\343\203\254\343\202\257\343\203\210\343\203\252\345\220\215')" \
  /d 'C:\PLUMA\Master' /f
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

for program in "$sollux" "$floor" "$noop"; do  # warm up: first runs load the DLLs
  milliseconds "$program" >/dev/null
done
results=$build/bench
: >"$results-sollux.txt"
: >"$results-floor.txt"
: >"$results-noop.txt"
i=0
while [ "$i" -lt "$runs" ]; do
  milliseconds "$sollux" >>"$results-sollux.txt"
  milliseconds "$floor" >>"$results-floor.txt"
  milliseconds "$noop" >>"$results-noop.txt"
  i=$((i + 1))
done
s=$(median <"$results-sollux.txt")
f=$(median <"$results-floor.txt")
n=$(median <"$results-noop.txt")
echo "runs each:             $runs"
echo "Sollux.exe (median):   $s ms"
echo "floor (median):        $f ms"
echo "do-nothing (median):   $n ms"
paste "$results-sollux.txt" "$results-floor.txt" | awk '{ print $1 / $2 }' >"$results-ratios.txt"
r=$(median <"$results-ratios.txt")
awk -v r="$r" -v s="$s" -v f="$f" \
  'BEGIN { printf "ratio to the floor:    %.2f run by run (of the medians: %.2f)\n", r, s / f }'
