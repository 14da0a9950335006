#!/usr/bin/env bash
# Takes the user's guide's screenshots (resources/help/*.png) from the built
# program on a virtual display, with a week's list in an ordinary home
# folder and the CUPS default printer on its rows:
#   scripts/guide-screenshots.sh [build]
# Needs a CUPS printer (scripts/setup-pdf-printer.sh makes one), Xvfb,
# xdotool and ImageMagick's import. Look at the pictures before committing.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
help="$PWD/resources/help"
printer="$(lpstat -d 2>/dev/null | sed -n 's/^.*: *//p')"
[[ -n "$printer" ]] || { echo "guide-screenshots: no default printer" >&2; exit 1; }

source scripts/virtual-display.sh
work="$(mktemp -d)"
pravik=""
xvfb=""
trap 'kill $pravik $xvfb 2>/dev/null || true; rm -rf "$work" /home/yamada' EXIT
start_virtual_display

# The user's home: a week's documents and the list of them, in an ordinary
# home folder (made here, and removed again, when there is none).
home=/home/yamada
[[ ! -e "$home" ]] || { echo "guide-screenshots: $home exists already" >&2; exit 1; }
documents="$home/ドキュメント/週次の印刷"
mkdir -p "$documents"
rows=(
  '月次報告書.doc|部長会議用|"1-3,5"|doc|2'
  '売上集計.xls|営業部|"集計","グラフ"|xls|1'
  '見積書テンプレート.dot|||dot|1'
  '請求書.xlt|月末に印刷||xlt|3'
)
for row in "${rows[@]}"; do
  IFS='|' read -r name memo pages extension copies <<<"$row"
  : >"$documents/$name"
  printf '%s\r\n' "$name" "$memo" "$pages" "$extension" "$copies" "$printer" "$documents/$name"
done | iconv -f UTF-8 -t CP932 >"$documents/週次.lst"

# The program with a main.ini of its own that reopens the list.
program="$work/program"
cmake --install "$build" --prefix "$program" >/dev/null
printf 'LASTLIST=%s\r\n' "$documents/週次.lst" | iconv -f UTF-8 -t CP932 >"$work/lastlist"
sed -i "/^\[MAIN\]/r $work/lastlist" "$program/bin/main.ini"
printf 'FMTOP=100\r\nFMLEFT=100\r\nFMHEIGHT=330\r\nFMWIDTH=760\r\n' >"$work/geometry"
sed -i "/^\[MAIN\]/r $work/geometry" "$program/bin/main.ini"

shoot() { sleep 1; import -window "$1" "$help/$2"; }

HOME="$home" "$program/bin/pravik" >/dev/null 2>&1 &
pravik=$!
main="$(window_named '週次')"
# The first row selected, the pointer out of the way.
xdotool mousemove --window "$main" 300 250 click 1
xdotool key Home
xdotool mousemove 1200 880
shoot "$main" main.png

xdotool key alt+o
shoot "$(window_named '^設定$')" editor.png
xdotool key Escape
sleep 0.5

# Without a window manager the focus does not come back by itself.
xdotool windowfocus --sync "$main"
xdotool key alt+f
sleep 1
import -window root -crop 420x230+100+100 "$help/menu.png"
xdotool key Escape Escape
sleep 0.5

xdotool windowfocus --sync "$main"
xdotool key alt+f s s Return
shoot "$(window_named '^オプション$')" options.png
xdotool key Escape
echo "guide-screenshots: $help/{main,editor,menu,options}.png"
