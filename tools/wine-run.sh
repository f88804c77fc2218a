#!/bin/sh
# Runs a Windows program under Wine in a private prefix; CTest's cross-compiling emulator.
#
#   wine-run.sh PREFIX program.exe [args...]   run the program (prefix created on first use)
#   wine-run.sh --start PREFIX                 create the prefix, keep one wineserver alive
#   wine-run.sh --stop PREFIX                  stop that wineserver
#
# A wine start costs seconds unless a wineserver is already up, so the test run starts one
# persistent server first and stops it at the end. Parallel callers serialise on a lock file
# while the prefix is created.
set -eu
. "$(dirname "$0")/wine-env.sh"

mode=run
case "${1:-}" in
  --start) mode=start; shift ;;
  --stop) mode=stop; shift ;;
esac
[ $# -ge 1 ] || { echo "usage: $0 [--start|--stop] PREFIX [program args...]" >&2; exit 2; }
WINEPREFIX=$(realpath -m "$1"); shift
export WINEPREFIX

if [ "$mode" = stop ]; then
  "$WINEBIN/wineserver" -k 2>/dev/null || true
  "$WINEBIN/wineserver" -w 2>/dev/null || true
  exit 0
fi

mkdir -p "$(dirname "$WINEPREFIX")"
# Now and then wineboot gives up within a second and leaves half a prefix behind (seen once in
# a fresh clone's test run); such a prefix is thrown away and made again.
create_prefix() {
  log="$WINEPREFIX.wineboot.log"
  for attempt in 1 2 3; do
    if "$WINEBIN/wine64" wineboot -i >"$log" 2>&1 && "$WINEBIN/wineserver" -w; then
      rm -f "$log"
      return 0
    fi
    "$WINEBIN/wineserver" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    echo "wine-run.sh: wineboot failed (attempt $attempt) for $WINEPREFIX:" >&2
    tail -n 20 "$log" >&2
  done
  return 1
}
# wineboot links the user's Documents, Pictures, Music, Videos and Desktop to the Unix home
# folder (/root in CI): a test that backs them up, or checks their backup, would walk the home
# of whoever runs it. In a test prefix they are plain, empty folders.
unlink_home_folders() {
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then
      rm -f "$link" && mkdir -p "$link"
    fi
  done
}
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    create_prefix
  fi
  unlink_home_folders
) 9>"$WINEPREFIX.lock"

if [ "$mode" = start ]; then
  # Exits with 2 when a server already runs for this prefix: that one serves as well. The
  # server, and Wine's own helper processes that the first program starts and that live as
  # long as the server, must not hold the caller's output open (CTest would wait for them).
  "$WINEBIN/wineserver" -p30 </dev/null >/dev/null 2>&1 || true
  "$WINEBIN/wine64" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
  exit 0
fi
exec "$WINEBIN/wine64" "$@"
