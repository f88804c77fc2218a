#!/bin/sh
# Installs what is missing, builds Sollux.exe (release) and runs it under Wine the way a
# double click would, in a prefix of the build tree with a USB stick staged as drive E: (a
# folder of the build tree). Then shows where the batch file was written and what it says.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset release
cmake --build --preset release

prefix=build/release/wineprefix
stick=build/release/usb-stick
mkdir -p "$stick"
tools/wine-drives.sh "$prefix" "e=floppy:$(realpath "$stick")"
tools/wine-run.sh --start "$prefix"
echo "--- Sollux.exe (Wine's robocopy copies nothing, and Wine has no timeout.exe) ---"
# cmd.exe writes in the ANSI code page (932 under the Japanese locale that Wine runs in).
output=build/release/sollux-output.txt
# The batch file of this run is the one written after this mark (the check after the backup
# writes its report on the stick later, so the stick's own time tells nothing).
mark=build/release/run-started
touch "$mark"
set +e
tools/wine-run.sh "$prefix" build/release/Sollux.exe >"$output" 2>&1
status=$?
set -e
iconv -c -f CP932 -t UTF-8 "$output"
tools/wine-run.sh --stop "$prefix"
echo "--- Sollux.exe exited with code $status ---"

batch=$(find "$prefix/drive_c" -path '*/Brevant.tmp/Sollux/RC_*.bat' -newer "$mark" \
        -printf '%T@ %p\n' 2>/dev/null | sort -n | tail -n 1 | cut -d' ' -f2-)
if [ -z "$batch" ]; then
  echo "No batch file was written." >&2
  exit 1
fi
echo "Batch file: $batch"
echo "(stick E: is $(realpath "$stick"))"
echo "--- its text (code page 932, shown as UTF-8) ---"
iconv -f CP932 -t UTF-8 "$batch"
exit "$status"
