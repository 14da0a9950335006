#!/usr/bin/env bash
# The delivered main.ini seeds an installation and never replaces the user's:
# neither the build's copy step nor `cmake --install` run a second time.
# usage: install_test.sh <cmake> <build dir> <source dir>
set -euo pipefail
cmake="$1" build="$2" source="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The build's step, on a folder with and without a main.ini.
copy() { "$cmake" -DSOURCE="$source/resources/main.ini" -DDESTINATION="$1" -P "$source/cmake/CopyIfMissing.cmake" >/dev/null; }
copy "$work/fresh/main.ini"
cmp -s "$work/fresh/main.ini" "$source/resources/main.ini" || fail "a missing main.ini is not delivered"
printf '[MAIN]\r\nLASTLIST=/home/u/week.lst\r\n' >"$work/fresh/main.ini"
copy "$work/fresh/main.ini"
grep -q 'LASTLIST=/home/u/week.lst' "$work/fresh/main.ini" || fail "the build replaced the user's main.ini"

# Installing, then installing again over the user's settings.
"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
[[ -x "$work/prefix/bin/pravik" ]] || fail "the program is not installed"
cmp -s "$work/prefix/bin/main.ini" "$source/resources/main.ini" || fail "main.ini is not installed beside the program"
printf '[MAIN]\r\nFMTOP=77\r\n' >"$work/prefix/bin/main.ini"
"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
grep -q 'FMTOP=77' "$work/prefix/bin/main.ini" || fail "a second install replaced the user's main.ini"
echo "ok"
