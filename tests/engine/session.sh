#!/usr/bin/env bash
# The world the engine tests print into, started and stopped by the test
# command itself:
#   session.sh start WORKDIR DOCSRC   private cupsd (own ServerRoot and spool,
#                                     a unix socket only), a virtual display
#                                     for previews, and the test documents
#                                     made from the flat ODF sources
#   session.sh stop WORKDIR
#   session.sh restart-cupsd WORKDIR SIGNAL
#                                     ends the cupsd with SIGNAL (TERM: as an
#                                     upgrade does, KILL: a crash) and starts
#                                     it again on the same socket
# The tests read WORKDIR/session.env. The system's own CUPS is never used.
set -euo pipefail

work="$(realpath -m "$2")"
env_file="$work/session.env"

value() { sed -n "s/^$1=//p" "$env_file" | head -n1; }

stop() {
  [[ -f "$env_file" ]] || return 0
  local pids root
  pids="$(value PRAVIK_TEST_CUPSD_PID) $(value PRAVIK_TEST_XVFB_PID)"
  root="$(value PRAVIK_TEST_ROOT)"
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  for pid in $pids; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  done
  if [[ "$root" == /tmp/pravik-engine-* ]]; then rm -rf "$root"; fi
  rm -f "$env_file"
}

start_cupsd() {
  local root="$1"
  mkdir -p "$root"/{spool,tmp,cache,state,log,ppd,out}
  # Filters run as an unprivileged user and must reach the output folder.
  chmod 755 "$root"
  chmod 1777 "$root/out" "$root/tmp"
  cat > "$root/cupsd.conf" <<CONF
Listen $root/cups.sock
LogLevel warn
MaxLogSize 0
WebInterface No
Browsing No
# Queues and jobs are written at once, so that a crash keeps them as a
# long-running print system would.
DirtyCleanInterval 0
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat > "$root/cups-files.conf" <<CONF
ServerRoot $root
RequestRoot $root/spool
TempDir $root/tmp
CacheDir $root/cache
StateDir $root/state
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
FileDevice Yes
CONF
  cupsd -f -c "$root/cupsd.conf" -s "$root/cups-files.conf" </dev/null >"$root/log/cupsd.out" 2>&1 &
  echo "PRAVIK_TEST_CUPSD_PID=$!" >>"$env_file"
  for _ in $(seq 100); do
    if [[ -S "$root/cups.sock" ]] && CUPS_SERVER="$root/cups.sock" lpstat -r >/dev/null 2>&1; then
      # Every run starts from the current printer: there must be a default.
      CUPS_SERVER="$root/cups.sock" lpadmin -p Default -E -v file:///dev/null \
        -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>/dev/null
      CUPS_SERVER="$root/cups.sock" lpadmin -d Default
      return 0
    fi
    sleep 0.1
  done
  echo "cupsd did not start:" >&2
  cat "$root/log/cupsd.out" "$root/log/error_log" >&2 || true
  return 1
}

restart_cupsd() {
  local signal="$1" pid root
  pid="$(value PRAVIK_TEST_CUPSD_PID)"
  root="$(value PRAVIK_TEST_ROOT)"
  kill "-$signal" "$pid"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  sed -i '/^PRAVIK_TEST_CUPSD_PID=/d' "$env_file"
  start_cupsd "$root"
}

start_display() {
  local root="$1"
  command -v Xvfb >/dev/null || return 0
  local number="$root/display"
  # -noreset: the server must not restart each time its last client leaves.
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$number" </dev/null >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 100); do
    if [[ -s "$number" ]]; then
      echo "PRAVIK_TEST_XVFB_PID=$pid" >>"$env_file"
      echo "DISPLAY=:$(head -n1 "$number")" >>"$env_file"
      return 0
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
}

# One soffice run per output format, each turning every source given to it.
convert() {
  local filter="$1"; shift
  /usr/lib/libreoffice/program/soffice "-env:UserInstallation=file://$work/convert-profile" \
    --headless --norestore --nolockcheck --convert-to "$filter" --outdir "$work/docs" "$@" >/dev/null 2>&1
}

# Makes the second sheet the one shown when the workbook opens, so a test can
# tell "the active sheet" from "the first sheet". Conversion without a window
# always saves the first as active; this sets the active-sheet field of the
# workbook's window record (type 0x3D, 18 bytes, the field at offset 10).
make_second_sheet_active() {
  local file="$1" offset
  offset="$(grep -obUaP '\x3d\x00\x12\x00' "$file" | head -n1 | cut -d: -f1)"
  [[ -n "$offset" ]] || { echo "no window record in $file" >&2; return 1; }
  printf '\x01\x00' | dd of="$file" bs=1 seek=$((offset + 14)) conv=notrunc status=none
}

make_documents() {
  local src="$1"
  rm -rf "$work/docs" "$work/generated"
  mkdir -p "$work/docs" "$work/generated"
  # A long document, so that a job lasts long enough to be interrupted.
  {
    cat "$src/long-head.xml"
    for i in $(seq 1 1500); do
      echo "<text:p text:style-name=\"Break\">LONG-PAGE-$i Lorem ipsum dolor sit amet, consectetur adipiscing elit.</text:p>"
    done
    echo '</office:text></office:body></office:document>'
  } >"$work/generated/long.fodt"

  # A page that renders at once into a large spool file: a picture of noise,
  # which no compression makes smaller, so that a transfer takes its time.
  python3 - "$work/generated/noise.fodt" <<'PY'
import base64, os, struct, sys, zlib
width = height = 1100
rows = b"".join(b"\0" + os.urandom(width * 3) for _ in range(height))
chunk = lambda kind, data: (struct.pack(">I", len(data)) + kind + data
                            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows, 1)) + chunk(b"IEND", b""))
open(sys.argv[1], "w").write(
    '<?xml version="1.0" encoding="UTF-8"?>\n'
    '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
    ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
    ' xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"'
    ' xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"'
    ' office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">'
    '<office:body><office:text><text:p>NOISE-MARK-1</text:p><text:p>'
    '<draw:frame text:anchor-type="as-char" svg:width="16cm" svg:height="16cm"><draw:image>'
    '<office:binary-data>' + base64.b64encode(png).decode() + '</office:binary-data>'
    '</draw:image></draw:frame></text:p></office:text></office:body></office:document>\n')
PY
  convert 'doc:MS Word 97' "$src/pages.fodt" "$work/generated/long.fodt" "$work/generated/noise.fodt"
  convert 'dot:MS Word 97 Vorlage' "$src/template.fodt"
  convert 'xls:MS Excel 97' "$src/sheets.fods" "$src/hidden.fods"
  convert 'xlt:MS Excel 97 Vorlage/Template' "$src/sheets.fods"
  # Today's formats, which the same rows print.
  convert 'docx:MS Word 2007 XML' "$src/pages.fodt"
  convert 'xlsx:Calc MS Excel 2007 XML' "$src/sheets.fods"
  make_second_sheet_active "$work/docs/sheets.xls"
  make_second_sheet_active "$work/docs/sheets.xlt"
  cp "$work/docs/sheets.xls" "$work/docs/売上 集計.xls"
  # Files that are not what their names say.
  head -c 6000 /dev/urandom >"$work/docs/garbage.doc"
  head -c 6000 /dev/urandom >"$work/docs/garbage.xls"
  head -c 3000 "$work/docs/sheets.xls" >"$work/docs/truncated.xls"
  printf '<html><body><p>HTML-MARK-1</p></body></html>\n' >"$work/docs/page-html.doc"
  for doc in pages.doc long.doc noise.doc template.dot sheets.xls sheets.xlt hidden.xls pages.docx sheets.xlsx; do
    [[ -s "$work/docs/$doc" ]] || { echo "test document $doc was not made" >&2; return 1; }
  done
}

case "$1" in
  start)
    stop
    mkdir -p "$work"
    root="$(mktemp -d /tmp/pravik-engine-XXXXXX)" # short: a socket path has a length limit
    {
      echo "PRAVIK_TEST_ROOT=$root"
      echo "CUPS_SERVER=$root/cups.sock"
      echo "PRAVIK_TEST_DOCS=$work/docs"
      echo "PRAVIK_TEST_CACHE=$work/cache"
    } >"$env_file"
    start_cupsd "$root" || { stop; exit 1; }
    start_display "$root"
    make_documents "$(realpath "$3")" || { stop; exit 1; }
    ;;
  stop)
    stop
    ;;
  restart-cupsd)
    restart_cupsd "$3"
    ;;
  *)
    echo "usage: $0 start WORKDIR DOCSRC | stop WORKDIR | restart-cupsd WORKDIR SIGNAL" >&2
    exit 2
    ;;
esac
