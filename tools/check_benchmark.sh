#!/bin/sh
# What the check after a backup costs: builds bench/check_benchmark.exe and runs it under Wine
# in a prefix of its own. Prints, for 10^4 files in 10^2 folders and 10^5 files in 10^3
# folders (a source and an identical backup each), the best of five times of CheckFolder and
# of a walk that only counts the entries of both trees, their ratio and the growth from 10^4
# to 10^5 (10 is linear).
#
# The first run creates the 220,000 files in the prefix's temporary folder
# (build/test/wineprefix-check/drive_c/users/*/Temp/sollux-check-benchmark), which takes a few
# minutes; later runs use them again. Delete that folder to make them anew.
#
#   tools/check_benchmark.sh
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh >/dev/null
cmake --preset test >/dev/null
cmake --build --preset test --target check_benchmark >/dev/null

prefix=build/test/wineprefix-check
trap 'tools/wine-run.sh --stop "$prefix"' EXIT
tools/wine-run.sh --start "$prefix"
tools/wine-run.sh "$prefix" build/test/bench/check_benchmark.exe
