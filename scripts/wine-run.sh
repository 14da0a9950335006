#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's private prefix. The prefix
# is PRAVIK_WINEPREFIX, or wine-prefix in the current build folder found by
# walking up to CMakeCache.txt. Start Wine first with scripts/wine-session.sh.
set -euo pipefail
prefix="${PRAVIK_WINEPREFIX:-}"
if [[ -z "$prefix" ]]; then
  dir="$PWD"
  while [[ "$dir" != / && ! -f "$dir/CMakeCache.txt" ]]; do dir="$(dirname "$dir")"; done
  prefix="$dir/wine-prefix"
fi
export WINEPREFIX="$prefix"
# As on a Japanese Windows, the home of the program's users: code page 932 is
# the system's, as Explorer reads the clipboard's file names.
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG="${WINEDEBUG:--all,err+module}"
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
unset DISPLAY WAYLAND_DISPLAY
exec wine "$@"
