#!/bin/sh
# Fails when a source file includes a header of a subsystem above its own. Includes run one way:
# app -> job, restore -> script, mirror -> diag, sysinfo, store -> base (none of those beside each
# other into another). Tests (*_test.cc) may include what they test against.
#
#   include_order.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/..}"
rank() {
  case $1 in
    base) echo 0 ;; diag | sysinfo | store) echo 1 ;; script | mirror) echo 2 ;; job | restore) echo 3 ;; app) echo 4 ;;
    *) echo -1 ;;
  esac
}
bad=0
for file in app/* job/* restore/* script/* mirror/* diag/* sysinfo/* store/* base/*; do
  case $file in *_test.cc | *.sh | */CMakeLists.txt) continue ;; esac
  own=${file%%/*}
  for header in $(sed -n 's/^#include "\([a-z]*\)\/.*/\1/p' "$file" | sort -u); do
    [ "$header" = "$own" ] && continue
    r=$(rank "$header")
    [ "$r" -lt 0 ] && continue
    # The one exception: the program reads its own name from its version resource.
    [ "$file" = base/program.cc ] && [ "$header" = sysinfo ] && continue
    if [ "$r" -ge "$(rank "$own")" ]; then
      echo "$file includes $(grep -n "^#include \"$header/" "$file" | head -1)"
      bad=1
    fi
  done
done
[ "$bad" -eq 0 ] && echo "includes run app -> job, restore -> script, mirror -> diag, sysinfo, store -> base"
exit "$bad"
