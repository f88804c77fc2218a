#!/bin/sh
# The whole job in one command: installs what is missing, builds both programs (release), stages a
# PLUMA folder with a few files and a USB stick as drive E: in a Wine prefix of the build tree,
# and runs Sollux.exe twice the way a double click would: once to back up, and once after a file
# was changed and another deleted, so that their old copies land in the versions folder. Then
# shows the batch file, the stick's tree, the report and the versions. Last, Sollux-restore.exe
# puts the PLUMA folder back as it was at the first backup into a new folder, whose files are
# shown. Exits with the second backup's exit code, or the restore's when that failed.
#
# Wine's own robocopy.exe is a stub that copies nothing, so the test suite's robocopy stand-in
# (test/fixtures/robocopy_mirror.cc), which mirrors by robocopy's rules for the batch file's
# switches, is put first on the PATH instead.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset release
cmake --build --preset release
cmake --preset test >/dev/null
cmake --build --preset test --target fixture_robocopy >/dev/null

prefix=build/release/wineprefix
stick=build/release/usb-stick
bin="$prefix/drive_c/sollux-demo/bin"
pluma="$prefix/drive_c/sollux-demo/PLUMA Master"
rm -rf "$stick" "$prefix/drive_c/sollux-demo"
mkdir -p "$stick" "$bin" "$pluma/2026"
cp build/test/test/fixtures/robocopy.exe "$bin/robocopy.exe"
printf 'pattern A\r\n' >"$pluma/2026/A-101.pat"
printf 'pattern B\r\n' >"$pluma/2026/B-202.pat"
printf 'first draft\r\n' >"$pluma/plan.txt"
tools/wine-drives.sh "$prefix" "e=floppy:$(realpath "$stick")"
tools/wine-run.sh --start "$prefix"
trap 'tools/wine-run.sh --stop "$prefix"' EXIT
. tools/wine-env.sh
WINEPREFIX=$(realpath "$prefix") "$WINEBIN/wine64" reg add \
  'HKCU\Software\Morvaine\PLUMA\PLUMA\FilePath' /v User_Master /d 'C:\sollux-demo\PLUMA Master' \
  /f >/dev/null
export WINEPATH='C:\sollux-demo\bin' SOLLUX_STANDIN_MIRROR=1

# cmd.exe and robocopy write in the ANSI code page (932 under the Japanese locale of Wine).
output=build/release/sollux-output.txt
run() {
  echo "=== Sollux.exe, $1 (robocopy is the test suite's mirroring stand-in, not Windows') ==="
  set +e
  tools/wine-run.sh "$prefix" build/release/Sollux.exe >"$output" 2>&1
  status=$?
  set -e
  iconv -c -f CP932 -t UTF-8 "$output"
  echo "=== Sollux.exe exited with code $status ==="
}

# The batch file of a run is the one written after its mark (the stick's own time tells
# nothing: the report lands there later).
mark=build/release/run-started
touch "$mark"
run "first backup"
batch=$(find "$prefix/drive_c" -path '*/Brevant.tmp/Sollux/RC_*.bat' -newer "$mark" \
        -printf '%T@ %p\n' 2>/dev/null | sort -n | tail -n 1 | cut -d' ' -f2-)
if [ -z "$batch" ]; then
  echo "No batch file was written." >&2
  exit 1
fi
echo "--- the batch file $batch (code page 932, shown as UTF-8) ---"
iconv -f CP932 -t UTF-8 "$batch"

echo "--- plan.txt changed, 2026/B-202.pat deleted ---"
printf 'second draft, longer\r\n' >"$pluma/plan.txt"
rm "$pluma/2026/B-202.pat"
sleep 1  # a versions folder per second
run "second backup"

computer=$(find "$stick/_Backup_" -mindepth 1 -maxdepth 1 -type d | head -n 1)
echo "--- the stick E: ($(realpath "$stick")) ---"
(cd "$stick" && find . -mindepth 1 | sort)
echo "--- $(basename "$computer")/Sollux-report.txt ---"
cat "$computer/Sollux-report.txt"
echo "--- the versions: the files each backup added (Sollux-added.txt), what the second one's mirror deleted or replaced ---"
(cd "$computer/Sollux-versions" && find . -type f | sort)
backup_status=$status

# The way back: the PLUMA folder as it was at the first backup, into a new folder.
first=$(head -n 1 "$computer/Sollux-versions/Sollux-runs.txt" | sed 's/^\xef\xbb\xbf//' | tr -d '\r')
restored="$prefix/drive_c/sollux-demo/restored"
rm -rf "$restored"
printf '%s\n' "=== Sollux-restore.exe: the PLUMA folder as at the first backup ($first), into C:\\sollux-demo\\restored ==="
set +e
tools/wine-run.sh "$prefix" build/release/Sollux-restore.exe "/at:$first" \
  '/folder:C:\sollux-demo\PLUMA Master' '/to:C:\sollux-demo\restored' /yes >"$output" 2>&1
status=$?
set -e
iconv -c -f CP932 -t UTF-8 "$output"
echo "=== Sollux-restore.exe exited with code $status ==="
echo "--- the restored folder: plan.txt and 2026/B-202.pat as they were at the first backup ---"
(cd "$restored" && find . -type f | sort | while read -r file; do
  printf '%s: %s\n' "$file" "$(tr -d '\r' <"$file")"
done)
[ "$status" -eq 0 ] || exit "$status"
exit "$backup_status"
