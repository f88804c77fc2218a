#!/bin/sh
# Runs backup_e2e_tests.exe in a Wine prefix of its own: first with a USB stick as drive E:
# (backups, then restores from them), then on a small stick, then without any removable drive,
# last on a small disk of the PC's own. The prefix that the other tests share is never touched.
#
#   backup_e2e_test.sh TOOLS_DIR PREFIX TEST_EXE
set -eu
tools=$1
prefix=$(realpath -m "$2")
exe=$3
stick="$prefix.stick"

trap '"$tools/wine-run.sh" --stop "$prefix"' EXIT

# run COUNT FILTER: the tests must pass, and exactly COUNT of them must have run. Wine traces
# the events that Sollux.exe writes on the Unix error stream, which the programs that a test
# starts share with it: it goes into a file of its own, which the tests read.
trace="$prefix.trace"
run() {
  "$tools/wine-run.sh" --start "$prefix"
  : >"$trace"
  if ! out=$(SOLLUX_EVENT_TRACE="$trace" "$tools/wine-run.sh" "$prefix" "$exe" \
               --gtest_filter="$2" 2>"$trace"); then
    echo "$out"
    grep -v 'eventlog\|advapi' "$trace" || true
    exit 1
  fi
  echo "$out"
  echo "$out" | grep -q "^\[  PASSED  \] $1 test" || { echo "expected $1 test(s) for $2"; exit 1; }
}

# A stick left from an earlier run would hold copies that this run's tests must stage. D: is a
# fixed drive that a PLUMA folder may name as a whole; F: is the stick again by another letter.
rm -rf "$stick" "$prefix.drive-d"
mkdir -p "$stick" "$prefix.drive-d/Projects"
"$tools/wine-drives.sh" "$prefix" "e=floppy:$stick" "d=hd:$prefix.drive-d" "f=hd:$stick"
run 13 'BackupRun.WithStick*'
run 3 'RestoreRun.WithStick*'
# The same on a Japanese Windows: Wine takes the UI language from LC_MESSAGES.
export SOLLUX_UI_LOCALE=ja_JP.UTF-8
run 1 'BackupRun.WithStickSpeaks*'
unset SOLLUX_UI_LOCALE
# in_tmpfs FOLDER SIZE DRIVE COUNT FILTER: the tests run with a tmpfs of SIZE, which root may
# mount on these machines, as the only staged drive (DRIVE: "e=floppy" or "f=hd").
mounted=""
trap 'for m in $mounted; do umount "$m" 2>/dev/null || true; done; "$tools/wine-run.sh" --stop "$prefix"' EXIT
in_tmpfs() {
  mkdir -p "$1"
  if ! mountpoint -q "$1" && ! mount -t tmpfs -o "size=$2" tmpfs "$1" 2>/dev/null; then
    echo "SKIPPED $5: tmpfs cannot be mounted here (needs root)"
    return
  fi
  mounted="$mounted $1"
  rm -rf "${1:?}"/*
  "$tools/wine-drives.sh" "$prefix" "$3:$1"
  run "$4" "$5"
}
# A stick of 4 MiB.
in_tmpfs "$prefix.small-stick" 4m e=floppy 1 'BackupRun.SmallStick*'
"$tools/wine-drives.sh" "$prefix"
run 3 'BackupRun.WithoutStick*'
# The PC's own disk of 8 MiB, without a stick.
in_tmpfs "$prefix.small-disk" 8m f=hd 1 'BackupRun.SmallDisk*'
