#!/bin/sh
# What getting files back costs: builds bench/restore_benchmark.exe and Sollux-restore.exe and
# runs them under Wine in a prefix of its own. A backup of 10^4 files (100 MB) after 5 backups
# is staged in the prefix's scratch folder, where Sollux-restore finds it without a stick; the
# restore of the first backup, whose files all lie in the versions of the later runs, is timed
# against a floor that copies the same files with CopyFileExW from a list and reads each copy
# once from its device, as whole processes (farm-bench, paired run by run), each into a folder
# emptied before the run. Then a search for one file's name (/find:) in a backup of 10^5 files
# after 20 backups, against a bare listing of the same folders, and that file brought back.
# Last the reading of the records and the working out of the state alone, for 10^3 to 10^5
# files and 5 and 20 backups: it grows with files and runs in step.
#
#   tools/restore_benchmark.sh
#
# SOLLUX_BUILD names another build folder of the test preset than build/test.
set -eu
cd "$(dirname "$0")/.."
build=${SOLLUX_BUILD:-build/test}
tools/bench-build.sh "$build" restore_benchmark Sollux-restore
. tools/wine-env.sh

prefix=$(realpath -m "$build/wineprefix-restore")
bench=$(realpath "$build/bench/restore_benchmark.exe")
restore=$(realpath "$build/Sollux-restore.exe")
trap 'tools/wine-run.sh --stop "$prefix"' EXIT
tools/wine-run.sh --start "$prefix"
user=$(basename "$(dirname "$(echo "$prefix"/drive_c/users/*/Temp)")")
temp="$prefix/drive_c/users/$user/Temp"
windows_temp="C:\\users\\$user\\Temp"

stage() {  # FILES RUNS FOLDER: a backup in FOLDER below the temporary folder
  rm -rf "$temp/$3"
  tools/wine-run.sh "$prefix" "$bench" make "$windows_temp\\$3\\_Backup_" "$1" "$2"
}

stage 10000 5 Brevant.tmp
out="$prefix/drive_c/restored"
echo "Restore of the first of 5 backups, 10^4 files (100 MB) / floor"
WINEPREFIX=$prefix farm-bench -n 11 --timeout 1200 \
  --vs "sh -c 'rm -rf \"$out\"; exec \"$WINEBIN/wine64\" \"$bench\" floor \"$windows_temp\\Brevant.tmp\\_Backup_\" C:\\restored'" \
  -- sh -c "rm -rf \"$out\"; exec \"$WINEBIN/wine64\" \"$restore\" '/at:2026-01-10' '/folder:C:\\bench\\data' '/to:C:\\restored' /yes >/dev/null"

stage 100000 20 Brevant.tmp
computer=$(ls "$temp/Brevant.tmp/_Backup_" | grep -v floor-list | head -n 1)
listing="sh -c 'exec \"$WINEBIN/wine64\" \"$bench\" list \"$windows_temp\\Brevant.tmp\\_Backup_\\$computer\"'"
echo "/find: of one name in 10^5 files after 20 backups / a bare listing of the same folders"
WINEPREFIX=$prefix farm-bench -n 7 --timeout 1200 --vs "$listing" \
  -- sh -c "exec \"$WINEBIN/wine64\" \"$restore\" '/find:f54321.bin' >/dev/null"
echo "that file brought back (/find: /at: /to: /yes) / the same listing"
WINEPREFIX=$prefix farm-bench -n 7 --timeout 1200 --vs "$listing" \
  -- sh -c "rm -rf \"$prefix/drive_c/restored1\"; exec \"$WINEBIN/wine64\" \"$restore\" '/find:f54321.bin' '/at:2026-01-10' '/to:C:\\restored1' /yes >/dev/null"

echo "Working out the state of the first backup (records read, copies listed):"
for shape in "1000 5" "10000 5" "100000 5" "10000 20"; do
  set -- $shape
  stage "$1" "$2" "sollux-restore-state"
  tools/wine-run.sh "$prefix" "$bench" state "$windows_temp\\sollux-restore-state\\_Backup_"
done
rm -rf "$temp/sollux-restore-state"
