#!/bin/sh
# Builds the benchmark scripts' targets in a build folder of the test preset, and warns when that
# folder compiles without optimisation: a cache whose CMAKE_CXX_FLAGS_RELWITHDEBINFO was emptied
# keeps building without -O2, and its figures are not those of the program users run.
#
#   tools/bench-build.sh BUILD TARGET...
set -eu
cd "$(dirname "$0")/.."
build=$1; shift
tools/setup.sh >/dev/null
cmake --preset test -B "$build" >/dev/null
cmake --build "$build" --target "$@" >/dev/null
if ! grep -q -e '-O2' "$build/build.ninja"; then
  echo "warning: $build compiles without -O2 (delete its CMakeCache.txt): these figures are of an unoptimised build" >&2
fi
