#!/bin/sh
# Stages drive letters in a Wine prefix and restarts its wineserver so that they take effect.
#
#   wine-drives.sh PREFIX [LETTER=TYPE:FOLDER ...]
#
# TYPE is a Wine drive type: floppy (removable), network, hd, cdrom. FOLDER is the Unix folder
# behind the drive; "none" links it to a folder that never exists, which makes a removable drive
# behave like a slot without a medium. Letters d: to y: that are not named are removed, so a
# call without drives leaves only Wine's own C: and Z:. Wine reads the drive types
# (HKLM\Software\Wine\Drives) only when its server starts; the server is left stopped.
set -eu
[ $# -ge 1 ] || { echo "usage: $0 PREFIX [LETTER=TYPE:FOLDER ...]" >&2; exit 2; }
tools=$(dirname "$0")
prefix=$(realpath -m "$1"); shift
. "$tools/wine-env.sh"
export WINEPREFIX="$prefix"
drives_key='HKLM\Software\Wine\Drives'

"$tools/wine-run.sh" --start "$prefix"  # creates the prefix on first use
for link in "$prefix"/dosdevices/[d-y]:; do
  if [ -L "$link" ]; then rm -f "$link"; fi
done
"$WINEBIN/wine64" reg delete "$drives_key" /f >/dev/null 2>&1 || true
for drive in "$@"; do
  letter=${drive%%=*}
  type=${drive#*=}; type=${type%%:*}
  folder=${drive#*:}
  if [ "$folder" = none ]; then folder="$prefix.no-medium"; fi
  ln -sfn "$folder" "$prefix/dosdevices/$letter:"
  "$WINEBIN/wine64" reg add "$drives_key" /v "$letter:" /d "$type" /f >/dev/null
done
"$tools/wine-run.sh" --stop "$prefix"
