#!/usr/bin/env bash
# Side by side in one run, on one private print queue (never the system's
# CUPS): the bare floor (one office already running, a loop that loads each
# document hidden, prints it with Wait and closes it) against
# `pravik --print` with 1 to 4 print offices. COUNT documents, a quarter
# each of a 5-page .doc, a 4-sheet .xls, a .dot and a .xlt. Both sides print
# the same pages (checked before the timing): left to itself, the floor's
# office prints the sheets a workbook file keeps selected, here "First" and
# "Second", so the list's workbook rows choose those two. Each side counts
# until the last job has left the queue, with nothing else running: the
# offices' peak resident memory (all of them together) is taken in runs of
# its own, untimed. All profiles are warm, as on a machine in use.
#   [ROUNDS=N] bench/parallel_print_bench.sh [build/bin/pravik] [COUNT=20]
# (ROUNDS: 3 unless given)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
pravik="$(realpath "${1:-$root/build/bin/pravik}")"
count="${2:-20}"
work="$(mktemp -d /tmp/pravik-bench-XXXXXX)"
session="$work/session"
pipe="pravik-bench-floor-$$"
# The office's bridge belongs to the system's Python, whatever else is first
# on the PATH.
python=/usr/bin/python3
cleanup() {
  # The floor's office, found by its own pipe's name.
  for pid in $(pgrep -f "pipe,name=$pipe;" || true); do kill "$pid" 2>/dev/null || true; done
  "$root/tests/engine/session.sh" stop "$session"
  rm -rf "$work"
}
trap cleanup EXIT

echo "Starting a private print system and making the documents..."
"$root/tests/engine/session.sh" start "$session" "$root/tests/engine/docs" </dev/null
value() { sed -n "s/^$1=//p" "$session/session.env" | head -n1; }
export CUPS_SERVER="$(value CUPS_SERVER)"
export XDG_CACHE_HOME="$work/cache"
docs="$(value PRAVIK_TEST_DOCS)"
lpadmin -p Bench -E -v file:///dev/null -m raw 2>/dev/null \
  || lpadmin -p Bench -E -v file:///dev/null -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd
# Where both sides' pages are compared; made before any office starts, as an
# office sees only the queues there were when it started.
check_out="$(value PRAVIK_TEST_ROOT)/out/bench-check.pdf"
lpadmin -p BenchCheck -E -v "file://$check_out" -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>/dev/null

files=()
list="$work/bench.lst"
: >"$list"
for ((i = 0; i < count / 4; i++)); do
  for source in pages.doc sheets.xls template.dot sheets.xlt; do
    file="$work/docs/$i-$source"
    mkdir -p "$work/docs"
    cp "$docs/$source" "$file"
    files+=("$file")
    sheets=""
    [[ "$source" == *.xl? ]] && sheets='"First","Second"'
    printf '%s\r\n\r\n%s\r\n%s\r\n1\r\nBench\r\n%s\r\n' "$(basename "$file")" "$sheets" "${file##*.}" "$file" >>"$list"
  done
done
: >"$work/main.ini"

drain() { while [[ -n "$(lpstat -o Bench 2>/dev/null)" ]]; do sleep 0.05; done; }
now() { date +%s.%N; }
since() { awk -v a="$(now)" -v b="$1" 'BEGIN { printf "%.2f", a - b }'; }

# The offices' peak resident memory, all of them together: each office's own
# high-water mark, read until it ends.
offices_peak_kb() {
  local total=0 pid kb
  for pid in $(pgrep -f "soffice.bin.*pipe,name=pravik-$1-print" || true); do
    kb="$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)"
    total=$((total + ${kb:-0}))
  done
  echo "$total"
}

# Runs pravik with N offices; prints "seconds printed-rows". Nothing else
# runs meanwhile: sampling the offices' memory takes enough of a core to
# slow several offices down.
pravik_run() {
  local start
  start=$(now)
  "$pravik" --print "$list" --ini "$work/main.ini" --engines "$1" >"$work/pravik.out" 2>/dev/null || true
  drain
  echo "$(since "$start") $(grep -c '^printed' "$work/pravik.out" || true)"
}

# Runs pravik with N offices, untimed, sampling its offices; prints the peak MB.
pravik_peak() {
  local pid peak=0 kb
  "$pravik" --print "$list" --ini "$work/main.ini" --engines "$1" >/dev/null 2>&1 &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    kb=$(offices_peak_kb "$pid")
    ((kb > peak)) && peak=$kb
    sleep 0.05
  done
  wait "$pid" || true
  drain
  echo $((peak / 1024))
}

echo "Warming the profiles..."
"$pravik" --print "$list" --ini "$work/main.ini" --engines 4 >/dev/null 2>&1 || true
drain

/usr/lib/libreoffice/program/soffice "-env:UserInstallation=file://$work/floor-profile" \
  --headless --invisible --nologo --nodefault --norestore --nolockcheck \
  "--accept=pipe,name=$pipe;urp;StarOffice.ComponentContext" >/dev/null 2>&1 &
for ((i = 0; i < 600; i++)); do
  "$python" "$here/uno_print_loop.py" "$pipe" Bench 2>/dev/null && break # connects once it answers
  sleep 0.1
done
"$python" "$here/uno_print_loop.py" "$pipe" Bench "${files[0]}" "${files[1]}" # warm
drain

# The same pages from both sides, for each kind of document.
printed_marks() {
  while [[ -n "$(lpstat -o BenchCheck 2>/dev/null)" ]]; do sleep 0.05; done
  pdftotext "$check_out" - | grep -o '[A-Z0-9]*-MARK-[A-Z0-9-]*' | tr '\n' ' '
  rm -f "$check_out"
}
for ((k = 0; k < 4 && k < ${#files[@]}; k++)); do
  "$python" "$here/uno_print_loop.py" "$pipe" BenchCheck "${files[k]}"
  floor_marks="$(printed_marks)"
  head -n $((7 * (k + 1))) "$list" | tail -n 7 | sed 's/Bench\r$/BenchCheck\r/' >"$work/check.lst"
  "$pravik" --print "$work/check.lst" --ini "$work/main.ini" >/dev/null 2>&1 || true
  pravik_marks="$(printed_marks)"
  if [[ "$floor_marks" != "$pravik_marks" || -z "$floor_marks" ]]; then
    echo "$(basename "${files[k]}"): the floor printed [$floor_marks], pravik [$pravik_marks]" >&2
    exit 1
  fi
  echo "$(basename "${files[k]}"): both print $floor_marks"
done

# Runs are noisy on a shared machine: each side runs ROUNDS times, in turn,
# and its median counts.
rounds="${ROUNDS:-3}"
median() { tr ' ' '\n' | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
floor_times=""
declare -A times peaks printed_rows
for ((round = 0; round < rounds; round++)); do
  start=$(now)
  "$python" "$here/uno_print_loop.py" "$pipe" Bench "${files[@]}"
  drain
  floor_times+="$(since "$start") "
  for engines in 1 2 3 4; do
    read -r seconds printed < <(pravik_run "$engines")
    times[$engines]+="$seconds "
    printed_rows[$engines]="$printed"
  done
done
for engines in 1 2 3 4; do
  peaks[$engines]=$(pravik_peak "$engines")
done
floor=$(echo "$floor_times" | median)
floor_mb=0
for pid in $(pgrep -f "soffice.bin.*pipe,name=$pipe;" || true); do
  floor_mb=$(awk '/^VmHWM/ { printf "%d", $2 / 1024 }' "/proc/$pid/status")
done

default_engines=$(($(nproc) + 1))
((default_engines > 4)) && default_engines=4
printf '%-46s %8s s  (office peak %s MB)\n' "floor: bare UNO loop, one running office" "$floor" "$floor_mb"
for engines in 1 2 3 4; do
  seconds=$(echo "${times[$engines]}" | median)
  ratio=$(awk -v a="$seconds" -v b="$floor" 'BEGIN { printf "%.2f", a / b }')
  label="pravik --print --engines $engines"
  ((engines == default_engines)) && label+=" (default)"
  printf '%-46s %8s s  %sx floor  (%s of %s printed, offices peak %s MB)\n' \
    "$label" "$seconds" "$ratio" "${printed_rows[$engines]}" "$count" "${peaks[$engines]}"
done
echo "(median of $rounds; cores: $(nproc); timings are as noisy as the machine is shared)"
