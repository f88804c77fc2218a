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
folders="$prefix.folders"

stop_server() { "$tools/wine-run.sh" --stop "$prefix"; }
trap stop_server EXIT

# stage LETTER=TYPE:NAME...   (NAME "none" stands for a slot without a medium)
stage() {
  drives=""
  for drive in "$@"; do
    name=${drive#*:}
    if [ "$name" != none ]; then mkdir -p "$folders/$name"; name="$folders/$name"; fi
    drives="$drives ${drive%%:*}:$name"
  done
  # shellcheck disable=SC2086
  "$tools/wine-drives.sh" "$prefix" $drives
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

stage e=floppy:none f=floppy:stick g=network:share
run 2 'StagedDrives.EmptySlotBeforeStick:StagedDrives.NetworkDriveIsRecognised'
stage f=floppy:stick
run 1 StagedDrives.UsbStick
stage e=floppy:none
run 1 StagedDrives.OnlyEmptySlot
stage
run 1 StagedDrives.NoRemovableDrive
