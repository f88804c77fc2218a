#!/bin/sh
# What comparing a folder with its backup and keeping versions cost: builds
# bench/check_benchmark.exe and runs it under Wine in a prefix of its own. Prints, for 10^4
# files in 10^2 folders and 10^5 files in 10^3 folders (a source, an identical backup and a
# backup in which a tenth of the files are doomed: one byte longer, or with no counterpart in
# the source), the best of five times of CheckFolder, of LookAtFolder on both backups and of a
# walk that only counts the entries of both trees, their ratios to the walk and the growth
# from 10^4 to 10^5 (10 is linear); then the best of three runs of VersionStore::Keep moving
# 10^4 files into the versions folder, beside as many bare renames and existence tests of
# their folders, in total and a file.
#
# The first run creates the 330,000 files of the trees in the prefix's temporary folder
# (<build>/wineprefix-check/drive_c/users/*/Temp/sollux-check-benchmark), which takes a minute
# or more; later runs use them again. Delete that folder to make them anew. The files to move
# are made anew for each run of the moves and deleted at the end.
#
#   tools/check_benchmark.sh
#
# SOLLUX_BUILD names another build folder of the test preset than build/test (the prefix goes
# there too), so that a benchmark need not share a tree with a test run.
set -eu
cd "$(dirname "$0")/.."
build=${SOLLUX_BUILD:-build/test}
tools/bench-build.sh "$build" check_benchmark

prefix=$build/wineprefix-check
trap 'tools/wine-run.sh --stop "$prefix"' EXIT
tools/wine-run.sh --start "$prefix"
tools/wine-run.sh "$prefix" "$build/bench/check_benchmark.exe"
