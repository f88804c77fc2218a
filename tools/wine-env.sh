# The environment that every Wine call of the project runs in; sourced by the scripts in tools/
# (never run on its own).
#
#   . tools/wine-env.sh
WINEBIN=${WINEBIN:-/usr/lib/wine}
export WINEDEBUG=-all
# No Mono or Gecko installers: the prefix is created offline and never needs them.
export WINEDLLOVERRIDES="mscoree=;mshtml="
# Wine takes its ANSI code page from the Unix locale; cmd.exe reads the code page 932 batch
# files correctly only under a Japanese locale.
# Its UI language (GetUserDefaultUILanguage) follows LC_MESSAGES, which is English unless
# SOLLUX_UI_LOCALE names another (ja_JP.UTF-8: a Japanese Windows); LC_ALL would override both.
if locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  unset LC_ALL
  export LANG=ja_JP.UTF-8 LC_CTYPE=ja_JP.UTF-8
  export LC_MESSAGES="${SOLLUX_UI_LOCALE:-en_US.UTF-8}"
fi
