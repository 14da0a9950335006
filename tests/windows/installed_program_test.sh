#!/usr/bin/env bash
# The Windows program as a user gets it, under Wine on a virtual display:
#   installed_program_test.sh BUILD SETUP.exe ZIP
# The installer installs silently into a fresh prefix; the installed program
# reopens the list named in main.ini (a Japanese name, in Shift-JIS), shows
# its rows, opens the entry editor and the options dialog, and writes
# main.ini back when its window closes; the silent uninstaller removes the
# program and keeps main.ini. Screenshots go to BUILD/screenshots.
# While it runs, installer and uninstaller change nothing; its first save
# makes Documents\Pravik; the uninstaller leaves %TEMP% as it was.
set -euo pipefail
build="$(cd "$1" && pwd)"
setup="$(realpath "$2")"
zip="$(realpath "$3")"
shots="$build/screenshots"
export WINEPREFIX="$build/wine-install-prefix"
# A Japanese Windows, as the program's users have.
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
rm -rf "$WINEPREFIX" "$shots"
mkdir -p "$shots"

fail() {
  echo "installed program: $*" >&2
  exit 1
}

# The zip holds the same program folder.
for file in pravik.exe pravik.com main.ini office-check.ps1 README.txt Qt6Widgets.dll platforms/qwindows.dll translations/qtbase_ja.qm help/index.html; do
  unzip -l "$zip" "Pravik/$file" >/dev/null || fail "the zip lacks $file"
done

# A display of its own, and Wine ended with it whatever happens.
source "$(dirname "$0")/../../scripts/virtual-display.sh"
xvfb=""
trap 'wineserver -k >/dev/null 2>&1 || true; kill $xvfb 2>/dev/null || true' EXIT
start_virtual_display

wine wineboot -i </dev/null >/dev/null 2>&1
# Japanese Windows has the fonts the windows are designed for; Wine has
# none of them, so the host's IPA fonts, made to the same measures, stand in.
for font in 'ＭＳ Ｐゴシック' 'MS PGothic' 'ＭＳ ゴシック' 'MS Gothic'; do
  case "$font" in *Ｐ* | *PGothic) with=IPAPGothic ;; *) with=IPAGothic ;; esac
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "$with" /f </dev/null >/dev/null 2>&1
done
# The user's PATH gains the install folder beside what was there, once.
wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d 'C:\tools;%USERPROFILE%\bin' /f </dev/null >/dev/null 2>&1
user_path() { wine reg query 'HKCU\Environment' /v Path </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_EXPAND_SZ *//p'; }
wine "$setup" /S </dev/null >/dev/null 2>&1 || fail "the silent install failed"
wine "$setup" /S </dev/null >/dev/null 2>&1 || fail "a second silent install failed"
[[ "$(user_path)" == 'C:\tools;%USERPROFILE%\bin;C:\users\'"$(id -un)"'\AppData\Local\Programs\Pravik' ]] \
  || fail "the install folder is not on the user's PATH once: $(user_path)"
home="$WINEPREFIX/drive_c/users/$(id -un)"
program="$home/AppData/Local/Programs/Pravik"
for file in pravik.exe pravik.com main.ini office-check.ps1 uninstall.exe platforms/qwindows.dll translations/qtbase_ja.qm; do
  [[ -f "$program/$file" ]] || fail "not installed: $file"
done
[[ -f "$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Pravik.lnk" ]] || fail "no Start-menu entry"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pravik'
wine reg query "$uninstall_key" /v QuietUninstallString </dev/null 2>/dev/null | grep -q 'uninstall.exe" /S' \
  || fail "no entry in the installed programs"
list_class='HKCU\Software\Classes\Pravik.List'
wine reg query 'HKCU\Software\Classes\.lst' </dev/null 2>/dev/null | grep -q 'Pravik.List' || fail ".lst is not Pravik's"
wine reg query "$list_class\shell\open\command" </dev/null 2>/dev/null | grep -q 'pravik.exe" "%1"' \
  || fail "a list file has no 開く verb"

# A list of two rows with Japanese names, as the program stores it (CP932,
# CR LF), named in main.ini as the last list and on the command line, both
# in forward slashes: main.ini keeps the command line's in Windows' form.
documents='C:\users\'"$(id -un)"'\Documents'
# Wine links Documents to the host's home: the test's own is in the prefix.
rm -f "$home/Documents"
mkdir -p "$home/Documents"
list_name='週次の印刷.lst'
{
  printf '%s\r\n' '見積書.doc' '毎週月曜' '1-2' 'doc' '2' '' "$documents\\見積書.doc"
  printf '%s\r\n' '売上.xls' '' '' 'xls' '1' '' "$documents\\売上.xls"
} | iconv -f UTF-8 -t CP932 >"$home/Documents/$list_name"
slashed_list="${documents//\\//}/$list_name"
printf 'LASTLIST=%s\r\n' "$slashed_list" | iconv -f UTF-8 -t CP932 >"$build/lastlist.tmp"
sed -i "/^\[MAIN\]/r $build/lastlist.tmp" "$program/main.ini"
rm "$build/lastlist.tmp"
grep -q '^MEMORY=1' "$program/main.ini" || fail "the delivered main.ini does not reopen the last list"

shot() {
  sleep 1.5
  import -window root "$shots/$1.png"
}

(cd "$program" && exec wine pravik.exe "$slashed_list" </dev/null >/dev/null 2>&1) &
pravik=$!
main="$(window_named '週次の印刷')" || fail "the main window did not open"
shot main-window
# Keys go through the X server's test extension: Wine ignores sent events.
# A click on the list's empty part, Home for the first row, then 設定 (Alt+O).
xdotool mousemove --window "$main" 300 240 click 1
xdotool key Home alt+o
window_named '^設定$' >/dev/null || fail "the entry editor did not open"
shot entry-editor
xdotool key Escape
sleep 1
# ファイル, then オプション (its letter T is its own).
xdotool key alt+f
sleep 0.5
xdotool key t
window_named '^オプション$' >/dev/null || fail "the options dialog did not open"
shot options-dialog
xdotool key Escape
sleep 1

# An installed copy's first save makes Documents\Pravik, no "save" beside it.
[[ ! -e "$home/Documents/Pravik" ]] || fail "Documents\\Pravik was made before anything was saved"
[[ ! -e "$program/save" ]] || fail "the installer made a save folder beside the program"
xdotool key alt+f
sleep 0.5
xdotool key a
for _ in $(seq 60); do [[ -d "$home/Documents/Pravik" ]] && break; sleep 0.5; done
[[ -d "$home/Documents/Pravik" ]] || fail "no Documents\\Pravik for the first save"
shot save-dialog
xdotool key Escape
sleep 1

# With the installed Pravik running, a silent install fails, the wizard asks
# to close it (and stays when cancelled), a silent uninstall fails.
temp="$home/Temp"
touch "$build/before-reinstall"
wine "$setup" /S </dev/null >/dev/null 2>&1 && fail "a silent install over the running program succeeded"
(exec wine "$setup" </dev/null >/dev/null 2>&1) &
wizard_process=$!
wizard="$(window_named 'Pravik セットアップ')" || fail "the installer's wizard did not open"
xdotool mousemove --window "$wizard" 10 10 click 1
xdotool key Return
asked() { (($(xdotool search --onlyvisible --name 'Pravik セットアップ' | wc -l) > 1)); }
for _ in $(seq 60); do asked && break; sleep 0.5; done
asked || fail "the installer did not ask to close the running program"
shot installer-asks-to-close
xdotool key Escape
sleep 1
xdotool key Escape
for _ in $(seq 60); do kill -0 "$wizard_process" 2>/dev/null || break; sleep 0.5; done
kill -0 "$wizard_process" 2>/dev/null && fail "the cancelled wizard did not end"
wine "$program/uninstall.exe" /S </dev/null >/dev/null 2>&1
for _ in $(seq 60); do compgen -G "$temp/~nsu*" >/dev/null || break; sleep 0.5; done
compgen -G "$temp/~nsu*" >/dev/null && fail "the uninstaller left its copy in %TEMP%"
changed="$(find "$program" -newer "$build/before-reinstall" -type f)"
[[ -z "$changed" ]] || fail "changed while the program ran: $changed"
wine reg query "$uninstall_key" </dev/null >/dev/null 2>&1 || fail "the uninstaller went on while the program ran"

# ファイル, 終了: the window closes and writes main.ini back.
xdotool key alt+f
sleep 0.5
xdotool key x
for _ in $(seq 60); do kill -0 "$pravik" 2>/dev/null || break; sleep 0.5; done
kill -0 "$pravik" 2>/dev/null && fail "the window did not close"
grep -q '^FMWIDTH=' "$program/main.ini" || fail "main.ini was not written back when the window closed"
iconv -f CP932 -t UTF-8 "$program/main.ini" | grep -qF "LASTLIST=$documents\\$list_name" \
  || fail "main.ini no longer names the list"

# The uninstaller runs from a copy of itself: wait for it to finish.
ls -A "$temp" >"$build/temp-before"
wine "$program/uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "the silent uninstall failed"
for _ in $(seq 60); do [[ -e "$program/pravik.exe" || -e "$program/uninstall.exe" ]] || break; sleep 0.5; done
for _ in $(seq 60); do ls -A "$temp" | cmp -s - "$build/temp-before" && break; sleep 0.5; done
ls -A "$temp" | diff "$build/temp-before" - >&2 || fail "the uninstaller left files in %TEMP%"
for file in pravik.exe pravik.com office-check.ps1 Qt6Core.dll uninstall.exe platforms; do
  [[ ! -e "$program/$file" ]] || fail "left behind by the uninstaller: $file"
done
[[ -f "$program/main.ini" ]] || fail "the uninstaller removed main.ini"
wine reg query "$uninstall_key" </dev/null >/dev/null 2>&1 && fail "the uninstaller left its entry"
wine reg query "$list_class" </dev/null >/dev/null 2>&1 && fail "the uninstaller left the list files' type"
wine reg query 'HKCU\Software\Classes\.lst' </dev/null >/dev/null 2>&1 && fail "the uninstaller left .lst"
[[ "$(user_path)" == 'C:\tools;%USERPROFILE%\bin' ]] || fail "the uninstaller did not give PATH back: $(user_path)"
echo "installed program: installed, started, showed its list, wrote main.ini, uninstalled; screenshots in $shots"
