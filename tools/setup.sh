#!/bin/sh
# Installs what building and testing Sollux needs on Debian 12: the MinGW-w64 cross compiler,
# Wine, CMake, Ninja, GoogleTest's sources and the Japanese UTF-8 locale. Installs only what
# is missing; run as root (or with sudo available).
set -eu
packages="cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 locales
          googletest"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    missing="$missing $p"
done
as_root=""
[ "$(id -u)" -eq 0 ] || as_root=sudo
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  $as_root apt-get update -q
  # shellcheck disable=SC2086
  $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi

# Japanese folder names pass through cmd.exe intact only when Wine runs under a Japanese locale
# (Wine derives the ANSI code page, 932 here, from it).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "Generating the ja_JP.UTF-8 locale"
  if grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    $as_root sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  else
    echo 'ja_JP.UTF-8 UTF-8' | $as_root tee -a /etc/locale.gen >/dev/null
  fi
  $as_root locale-gen >/dev/null
fi
