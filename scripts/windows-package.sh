#!/usr/bin/env bash
# Makes what a Windows user downloads from a Windows build (default build-win):
#   Pravik-VERSION-windows-x64.zip        the program's folder, to unpack anywhere
#   Pravik-VERSION-windows-x64-setup.exe  the installer (per user, no administrator)
# both in BUILD/package/. The folder is `cmake --install` of the build,
# stripped of debug information.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build-win}" && pwd)"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
out="$build/package"
stage="$out/Pravik"
rm -rf "$out"
cmake --install "$build" --prefix "$stage" --strip >/dev/null
# The DLLs are copied, not built here: --strip leaves them as they came.
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.dll "$stage"/*/*.dll

base="Pravik-$version-windows-x64"
(cd "$out" && zip -q -r -9 "$base.zip" Pravik)
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$PWD/resources/windows/pravik.ico" \
  -DOUTFILE="$out/$base-setup.exe" resources/windows/installer.nsi
ls -l "$out/$base.zip" "$out/$base-setup.exe"
