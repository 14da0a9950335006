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
# With extensions hidden the two programs look alike: the zip says which to
# start, in Shift-JIS for Notepad on a Japanese Windows.
mkdir -p "$out/zip-only/Pravik"
printf '%s\r\n' 'Pravik 一括印刷' '' \
  '起動するには pravik.exe（種類「アプリケーション」）をダブルクリックします。' \
  'pravik.com はコマンド プロンプトから使う、ウィンドウのない印刷用です（例: pravik.com --print 週次.lst）。' \
  '設定は同じフォルダーの main.ini に保存されます。フォルダーごと、書き込める場所に置いてください。' \
  | iconv -f UTF-8 -t CP932 >"$out/zip-only/Pravik/README.txt"
(cd "$out/zip-only" && zip -q -9 "../$base.zip" Pravik/README.txt)
# The finish page's picture (164 × 314, as the wizard's left side), drawn
# from the program's icon (its last, largest image) rather than NSIS's own.
convert -size 164x314 xc:'#e8eef8' \( "$PWD/resources/windows/pravik.ico[-1]" -resize 128x128 \) \
  -gravity north -geometry +0+56 -composite -type TrueColor BMP3:"$out/finish.bmp"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$PWD/resources/windows/pravik.ico" \
  -DPICTURE="$out/finish.bmp" -DOUTFILE="$out/$base-setup.exe" resources/windows/installer.nsi
ls -l "$out/$base.zip" "$out/$base-setup.exe"
