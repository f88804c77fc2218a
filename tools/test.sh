#!/bin/sh
# Installs what is missing, builds Sollux.exe and its tests, and runs every test under Wine.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset test
cmake --build --preset test
ctest --preset test
