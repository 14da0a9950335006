#!/usr/bin/env bash
# Prints the same 10 documents twice, side by side in one run: once as one
# list with `pravik --print`, once with one `soffice --headless --pt` per
# file, into a private print system (never the system's CUPS), and reports
# both times. Each side counts until its last job has left the queue. Both
# offices have a warm profile, as they would on a machine in use.
#   bench/print_bench.sh [build/bin/pravik]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
pravik="$(realpath "${1:-$root/build/bin/pravik}")"
work="$(mktemp -d /tmp/pravik-bench-XXXXXX)"
session="$work/session"
trap '"$root/tests/engine/session.sh" stop "$session"; rm -rf "$work"' EXIT

echo "Starting a private print system and making the documents..."
"$root/tests/engine/session.sh" start "$session" "$root/tests/engine/docs" </dev/null
value() { sed -n "s/^$1=//p" "$session/session.env" | head -n1; }
export CUPS_SERVER="$(value CUPS_SERVER)"
export XDG_CACHE_HOME="$work/cache"
docs="$(value PRAVIK_TEST_DOCS)"
lpadmin -p Bench -E -v "file://$(value PRAVIK_TEST_ROOT)/out/bench.pdf" \
  -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>/dev/null

# Ten files: five Word documents and five workbooks, each printed whole
# (a workbook's active sheet, as `--pt` prints it).
files=()
list="$work/bench.lst"
: >"$list"
for i in 1 2 3 4 5; do
  cp "$docs/pages.doc" "$work/doc$i.doc"
  cp "$docs/sheets.xls" "$work/book$i.xls"
  files+=("$work/doc$i.doc" "$work/book$i.xls")
done
for file in "${files[@]}"; do
  printf '%s\r\n\r\n\r\n%s\r\n1\r\nBench\r\n%s\r\n' "$(basename "$file")" "${file##*.}" "$file" >>"$list"
done
printf '[MAIN]\r\nEXCEL=0\r\n' >"$work/main.ini"

drain() { while [[ -n "$(lpstat -o Bench 2>/dev/null)" ]]; do sleep 0.05; done; }
now() { date +%s.%N; }
pt_run() {
  for file in "${files[@]}"; do
    /usr/lib/libreoffice/program/soffice "-env:UserInstallation=file://$work/pt-profile" \
      --headless --norestore --nolockcheck --pt Bench "$file" >/dev/null 2>&1
  done
}

echo "Warming both profiles..."
"$pravik" --print "$list" --ini "$work/main.ini" >/dev/null 2>&1 || true
/usr/lib/libreoffice/program/soffice "-env:UserInstallation=file://$work/pt-profile" \
  --headless --norestore --nolockcheck --pt Bench "${files[0]}" >/dev/null 2>&1
drain

start=$(now)
"$pravik" --print "$list" --ini "$work/main.ini" >"$work/pravik.out" 2>/dev/null
drain
pravik_time=$(awk -v a="$(now)" -v b="$start" 'BEGIN { printf "%.2f", a - b }')
printed=$(grep -c '^printed' "$work/pravik.out" || true)

start=$(now)
pt_run
drain
pt_time=$(awk -v a="$(now)" -v b="$start" 'BEGIN { printf "%.2f", a - b }')

ratio=$(awk -v a="$pt_time" -v b="$pravik_time" 'BEGIN { printf "%.1f", a / b }')
printf '%-44s %8.2f s  (%s of %s rows printed)\n' "pravik --print (one list of 10 files)" "$pravik_time" "$printed" "${#files[@]}"
printf '%-44s %8.2f s\n' "soffice --headless --pt (one run per file)" "$pt_time"
printf 'pravik is %sx as fast (target: 3x)\n' "$ratio"
[[ "$printed" == "${#files[@]}" ]] && awk -v r="$ratio" 'BEGIN { exit !(r >= 3) }'
