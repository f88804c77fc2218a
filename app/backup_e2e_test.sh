#!/bin/sh
# Runs backup_e2e_tests.exe in a Wine prefix of its own: first with a USB stick as drive E:,
# then without any removable drive. The prefix that the other tests share is never touched.
#
#   backup_e2e_test.sh TOOLS_DIR PREFIX TEST_EXE
set -eu
tools=$1
prefix=$(realpath -m "$2")
exe=$3
stick="$prefix.stick"

trap '"$tools/wine-run.sh" --stop "$prefix"' EXIT

# run COUNT FILTER: the tests must pass, and exactly COUNT of them must have run.
run() {
  "$tools/wine-run.sh" --start "$prefix"
  if ! out=$("$tools/wine-run.sh" "$prefix" "$exe" --gtest_filter="$2" 2>&1); then
    echo "$out"
    exit 1
  fi
  echo "$out"
  echo "$out" | grep -q "^\[  PASSED  \] $1 test" || { echo "expected $1 test(s) for $2"; exit 1; }
}

# A stick left from an earlier run would hold copies that this run's tests must stage. D: is a
# fixed drive that a PLUMA folder may name as a whole.
rm -rf "$stick" "$prefix.drive-d"
mkdir -p "$stick" "$prefix.drive-d/Projects"
"$tools/wine-drives.sh" "$prefix" "e=floppy:$stick" "d=hd:$prefix.drive-d"
run 13 'BackupRun.WithStick*'
run 1 'RestoreRun.WithStick*'
# The same on a Japanese Windows: Wine takes the UI language from LC_MESSAGES.
export SOLLUX_UI_LOCALE=ja_JP.UTF-8
run 1 'BackupRun.WithStickSpeaks*'
unset SOLLUX_UI_LOCALE
# A stick of 4 MiB: a tmpfs, which root may mount on these machines.
small="$prefix.small-stick"
mkdir -p "$small"
if mountpoint -q "$small" || mount -t tmpfs -o size=4m tmpfs "$small" 2>/dev/null; then
  trap 'umount "$small" 2>/dev/null || true; "$tools/wine-run.sh" --stop "$prefix"' EXIT
  rm -rf "${small:?}"/*
  "$tools/wine-drives.sh" "$prefix" "e=floppy:$small"
  run 1 'BackupRun.SmallStick*'
else
  echo "SKIPPED BackupRun.SmallStick*: tmpfs cannot be mounted here (needs root)"
fi
"$tools/wine-drives.sh" "$prefix"
run 3 'BackupRun.WithoutStick*'
# The PC's own disk of 8 MiB, without a stick: a tmpfs staged as a hard disk F:.
disk="$prefix.small-disk"
mkdir -p "$disk"
if mountpoint -q "$disk" || mount -t tmpfs -o size=8m tmpfs "$disk" 2>/dev/null; then
  trap 'umount "$disk" "$small" 2>/dev/null || true; "$tools/wine-run.sh" --stop "$prefix"' EXIT
  rm -rf "${disk:?}"/*
  "$tools/wine-drives.sh" "$prefix" "f=hd:$disk"
  run 1 'BackupRun.SmallDisk*'
else
  echo "SKIPPED BackupRun.SmallDisk*: tmpfs cannot be mounted here (needs root)"
fi
