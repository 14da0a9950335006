#!/usr/bin/env bash
# The Debian package as a user meets it (run as root): built, its files,
# desktop entry and lintian checked, installed with apt, started from its menu
# entry and printing a list as a normal user with settings of their own
# (through the engine tests' private CUPS), upgraded, purged.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/virtual-display.sh
user=pravik-package-test
work="$(mktemp -d /tmp/pravik-package-XXXXXX)"
home="$work/home"
chmod 755 "$work"
fail() { echo "package: $*" >&2; exit 1; }
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 -y -q "$@" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; return 1; }; }
# The user goes with whatever of theirs still runs (an office ending late).
remove_user() {
  for _ in $(seq 50); do pgrep -u "$user" >/dev/null 2>&1 || break; sleep 0.2; done
  for pid in $(pgrep -u "$user" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null || true; done
  ! id "$user" >/dev/null 2>&1 || userdel "$user"
}
cleanup() {
  [[ -z "${pravik:-}" ]] || kill "$pravik" 2>/dev/null || true
  tests/engine/session.sh stop "$work/session" || true
  if dpkg-query -W pravik >/dev/null 2>&1; then apt_get purge pravik || true; fi
  remove_user || true
  rm -rf "$work" "/tmp/runtime-$user"
}
trap cleanup EXIT

deb="$(scripts/package.sh | tail -n1)"
version="$(dpkg-deb -f "$deb" Version)"
echo "package: $deb, $(stat -c %s "$deb") bytes"
{
  printf '/usr/%s\n' bin/pravik share/applications/pravik.desktop share/doc/pravik/{changelog.gz,copyright} \
    share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/pravik.png \
    share/icons/hicolor/scalable/apps/pravik.svg share/lintian/overrides/pravik share/man/man1/pravik.1.gz \
    share/mime/packages/pravik.xml \
    share/pravik/main.ini
  ls resources/help | sed 's|^|/usr/share/pravik/help/|'
} | sort >"$work/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort | diff -u "$work/expected" - \
  || fail "the package's files differ from the expected ones"
relations="$(dpkg-deb -f "$deb" Depends Recommends)"
for needed in 'Depends: libc6' libreoffice-writer libreoffice-calc ure qt6-translations-l10n fonts-ipafont-gothic \
  'Recommends: printer-driver-cups-pdf'; do
  grep -qF "$needed" <<<"$relations" || fail "the package does not name $needed"
done
dpkg-deb -x "$deb" "$work/contents"
entry="$work/contents/usr/share/applications/pravik.desktop"
desktop-file-validate "$entry"
for key in 'Name\[ja\]=' 'Comment\[ja\]=' 'Categories=.*Office;' 'MimeType=application/x-pravik-list;'; do grep -q "^$key" "$entry" || fail "the entry lacks $key"; done
lintian --fail-on error --pedantic -I "$deb" 2> >(grep -v 'root privileges' >&2) || fail "lintian found errors"

if dpkg-query -W pravik >/dev/null 2>&1; then apt_get purge pravik; fi
apt_get install "$(realpath "$deb")"
[[ "$(command -v pravik)" == /usr/bin/pravik ]] || fail "pravik is not on the PATH"
remove_user
useradd --home-dir "$home" --create-home --shell /bin/bash "$user"
tests/engine/session.sh start "$work/session" tests/engine/docs
set -a; source "$work/session/session.env"; set +a
# A queue per row: each job replaces its queue's file.
for queue in Words Sheets; do
  lpadmin -p "$queue" -E -v "file://$PRAVIK_TEST_ROOT/out/$queue.pdf" -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>/dev/null
done
touch "$work/stamp"
as_user=(setpriv --reuid="$user" --regid="$user" --init-groups env -i HOME="$home" USER="$user" LOGNAME="$user"
  PATH=/usr/bin:/bin LANG=C.UTF-8 CUPS_SERVER="$CUPS_SERVER" DISPLAY="$DISPLAY")

# Started from the menu: the entry's command (its file code dropped, as the
# menu does when no file is given) opens the window, whose 終了 writes the
# window's place into the user's own main.ini.
(cd "$home" && exec "${as_user[@]}" $(sed -n 's/^Exec=//p' "$entry" | sed 's/ %[fFuU]//') </dev/null >"$work/window.log" 2>&1) &
pravik=$!
main="$(window_named '^Pravik')" || { cat "$work/window.log" >&2; fail "the window did not open"; }
ini="$home/.config/pravik/main.ini"
cmp -s "$ini" /usr/share/pravik/main.ini || fail "the first start did not copy the delivered main.ini"
[[ -d "$home/.config/pravik/save" ]] || fail "no save folder beside the user's main.ini"
# No window manager gives it the focus: the keys go where the focus is set.
xdotool sleep 1 windowfocus --sync "$main" key alt+f sleep 0.5 key x
for _ in $(seq 60); do kill -0 "$pravik" 2>/dev/null || break; sleep 0.5; done
kill -0 "$pravik" 2>/dev/null && fail "the window did not close"
wait "$pravik" || { cat "$work/window.log" >&2; fail "the window did not close cleanly"; }
pravik=""
grep -q '^FMWIDTH=' "$ini" || fail "closing the window did not write the user's main.ini"

# A list of the user's printed without windows.
cp "$PRAVIK_TEST_DOCS/pages.doc" "$PRAVIK_TEST_DOCS/sheets.xls" "$home/"
printf '%s\r\n' pages.doc '' '' doc 1 Words "$home/pages.doc" sheets.xls '' '' xls 1 Sheets "$home/sheets.xls" >"$home/week.lst"
chown -R "$user:" "$home"
(cd "$home" && "${as_user[@]}" pravik --print week.lst) >"$work/results" 2>"$work/progress" \
  || { cat "$work/progress" >&2; fail "pravik --print failed as a normal user"; }
[[ "$(cut -f1 "$work/results" | tr '\n' ' ')" == "printed printed " ]] || fail "not every row was printed: $(cat "$work/results")"
for _ in $(seq 300); do [[ -z "$(lpstat -o 2>/dev/null)" ]] && break; sleep 0.1; done
text="$(pdftotext "$PRAVIK_TEST_ROOT/out/Words.pdf" - && pdftotext "$PRAVIK_TEST_ROOT/out/Sheets.pdf" -)" || fail "nothing was printed"
for marker in PAGE-MARK-1 PAGE-MARK-5 SHEET-MARK-SECOND; do grep -q "$marker" <<<"$text" || fail "$marker was not printed"; done
[[ -d "$home/.cache/pravik/office" ]] || fail "the office's profile is not in the user's cache"
strays="$(find / -xdev \( -path /proc -o -path "$home" -o -path /tmp -o -path /var/tmp -o -path /dev/shm \) -prune \
  -o -user "$user" -newer "$work/stamp" -print 2>/dev/null)"
[[ -z "$strays" ]] || fail "written outside the user's home and the temporary folders: $strays"

# An upgrade keeps the user's settings; a purge leaves nothing of the package.
printf '[MAIN]\r\nFMTOP=77\r\n' >>"$ini"
next="$(scripts/package.sh --version "$version+1" | tail -n1)"
apt_get install "$(realpath "$next")"
[[ "$(dpkg-query -W -f '${Version}' pravik)" == "$version+1" ]] || fail "the upgrade was not installed"
grep -q 'FMTOP=77' "$ini" || fail "the upgrade touched the user's main.ini"
apt_get purge pravik; rm -f "$next"
for path in /usr/bin/pravik /usr/share/{pravik,applications/pravik.desktop,doc/pravik,man/man1/pravik.1.gz}; do
  [[ ! -e "$path" ]] || fail "left behind by the purge: $path"; done
echo "package: ok"
