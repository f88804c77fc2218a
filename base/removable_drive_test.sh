#!/bin/sh
# Runs removable_drive_tests.exe under drive arrangements staged in a Wine prefix of its own.
# Wine reads the drive types (HKLM\Software\Wine\Drives) when its server starts, so every
# arrangement gets a fresh server; the prefix that the other tests share is never touched.
# A removable ("floppy") drive whose folder is missing behaves like a slot without a medium.
#
#   removable_drive_test.sh TOOLS_DIR PREFIX TEST_EXE
set -eu
tools=$1
prefix=$(realpath -m "$2")
exe=$3
WINEBIN=${WINEBIN:-/usr/lib/wine}
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
folders="$prefix.folders"
drives_key='HKLM\Software\Wine\Drives'

stop_server() { "$tools/wine-run.sh" --stop "$prefix"; }
trap stop_server EXIT

# stage LETTER=TYPE:FOLDER...   (FOLDER "none" links the drive to a folder that never exists)
stage() {
  stop_server
  for link in "$prefix"/dosdevices/[d-y]:; do
    if [ -L "$link" ]; then rm -f "$link"; fi
  done
  "$WINEBIN/wine64" reg delete "$drives_key" /f >/dev/null 2>&1 || true
  for drive in "$@"; do
    letter=${drive%%=*}
    type=${drive#*=}; type=${type%%:*}
    folder=${drive#*:}
    if [ "$folder" != none ]; then mkdir -p "$folders/$folder"; fi
    ln -sfn "$folders/$folder" "$prefix/dosdevices/$letter:"
    "$WINEBIN/wine64" reg add "$drives_key" /v "$letter:" /d "$type" /f >/dev/null
  done
  stop_server
}

# run COUNT FILTER: the tests must pass, and exactly COUNT of them must have run.
run() {
  if ! out=$("$tools/wine-run.sh" "$prefix" "$exe" --gtest_filter="$2" 2>&1); then
    echo "$out"
    exit 1
  fi
  echo "$out"
  echo "$out" | grep -q "^\[  PASSED  \] $1 test" || { echo "expected $1 test(s) for $2"; exit 1; }
}

"$tools/wine-run.sh" --start "$prefix"  # creates the prefix on first use

stage e=floppy:none f=floppy:stick g=network:share
run 2 'StagedDrives.EmptySlotBeforeStick:StagedDrives.NetworkDriveIsRecognised'
stage f=floppy:stick
run 1 StagedDrives.UsbStick
stage e=floppy:none
run 1 StagedDrives.OnlyEmptySlot
stage
run 1 StagedDrives.NoRemovableDrive
