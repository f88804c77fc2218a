#!/bin/sh
# Installs what is missing, builds Sollux.exe (release) and runs it under Wine in a prefix of
# the build tree.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset release
cmake --build --preset release
prefix=build/release/wineprefix
set +e
tools/wine-run.sh "$prefix" build/release/Sollux.exe
status=$?
set -e
tools/wine-run.sh --stop "$prefix"
echo "Sollux.exe exited with code $status"
exit "$status"
