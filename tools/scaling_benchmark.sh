#!/bin/sh
# How the list helpers scale: builds bench/scaling_benchmark.exe and runs it under Wine in a
# prefix of its own. Prints, for 10^4, 10^5 and 10^6 elements, the best of five times of
# JoinWithText, SplitText, the walker's delete pass and the library's sort of the same paths,
# and the ratio from one size to the next (10 is linear, about 12 is n log n).
#
#   tools/scaling_benchmark.sh
set -eu
cd "$(dirname "$0")/.."
tools/bench-build.sh build/test scaling_benchmark

prefix=build/test/wineprefix-scaling
trap 'tools/wine-run.sh --stop "$prefix"' EXIT
tools/wine-run.sh --start "$prefix"
tools/wine-run.sh "$prefix" build/test/bench/scaling_benchmark.exe
