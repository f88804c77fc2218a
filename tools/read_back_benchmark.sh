#!/bin/sh
# What reading copies back from the stick costs: builds bench/read_back_benchmark.exe and runs it
# under Wine in a prefix of its own. First the overlap: 256 MiB read back through a system layer
# whose reads take 5 ms a MiB on the stick and 2 ms on the PC, against the stick's time alone
# and the sum of both. Then, for 1 GiB in 10^3 and in 10^4 files (a source and an identical
# copy each), the read back of every pair against a floor that reads both files of each pair
# to the end with the same piece size and compares nothing, as whole processes (farm-bench,
# paired run by run, from the page cache).
#
# The first run writes the 4 GiB of files into the prefix's temporary folder
# (<build>/wineprefix-read-back/drive_c/users/*/Temp/sollux-read-back-benchmark); later runs use
# them again. Delete that folder to make them anew.
#
#   tools/read_back_benchmark.sh
#
# SOLLUX_BUILD names another build folder of the test preset than build/test.
set -eu
cd "$(dirname "$0")/.."
build=${SOLLUX_BUILD:-build/test}
tools/bench-build.sh "$build" read_back_benchmark
. tools/wine-env.sh

prefix=$(realpath -m "$build/wineprefix-read-back")
exe=$(realpath "$build/bench/read_back_benchmark.exe")
trap 'tools/wine-run.sh --stop "$prefix"' EXIT
tools/wine-run.sh --start "$prefix"
tools/wine-run.sh "$prefix" "$exe" overlap

temp=$(echo "$prefix"/drive_c/users/*/Temp)
for files in 1000 10000; do
  folder="sollux-read-back-benchmark\\$files"
  if [ ! -f "$temp/sollux-read-back-benchmark/$files/copy/$((files - 1)).bin" ]; then
    tools/wine-run.sh "$prefix" "$exe" make "C:\\users\\$(basename "$(dirname "$temp")")\\Temp\\$folder" "$files"
  fi
  windows="C:\\users\\$(basename "$(dirname "$temp")")\\Temp\\$folder"
  echo "1 GiB in $files files: read back / floor"
  WINEPREFIX=$prefix farm-bench -n 11 --timeout 900 \
    --vs "$WINEBIN/wine64 $exe floor '$windows'" -- "$WINEBIN/wine64" "$exe" read-back "$windows"
done
