#!/usr/bin/env bash
# Prints one small document COUNT times in one `pravik --print` run into a
# private print system (never the system's CUPS) and samples the print
# office's memory (resident set of soffice.bin) about every 50 documents, with the
# office restarted after every RECYCLE documents ("RECYCLE" in section
# "OFFICE"; 0 never restarts it).
#   bench/office_memory_bench.sh [build/bin/pravik] [COUNT=1000] [RECYCLE=200]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
pravik="$(realpath "${1:-$root/build/bin/pravik}")"
count="${2:-1000}"
recycle="${3:-200}"
work="$(mktemp -d /tmp/pravik-bench-XXXXXX)"
session="$work/session"
trap '"$root/tests/engine/session.sh" stop "$session"; rm -rf "$work"' EXIT

"$root/tests/engine/session.sh" start "$session" "$root/tests/engine/docs" </dev/null
value() { sed -n "s/^$1=//p" "$session/session.env" | head -n1; }
export CUPS_SERVER="$(value CUPS_SERVER)"
export XDG_CACHE_HOME="$work/cache"
export TMPDIR="$work"
docs="$(value PRAVIK_TEST_DOCS)"
# The jobs themselves do not matter here: a queue that throws them away.
lpadmin -p Void -E -v file:///dev/null -m raw 2>/dev/null \
  || lpadmin -p Void -E -v file:///dev/null -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd

list="$work/bench.lst"
: >"$list"
for ((i = 0; i < count; i++)); do
  printf 'pages.doc\r\n\r\n"1"\r\ndoc\r\n1\r\nVoid\r\n%s\r\n' "$docs/pages.doc" >>"$list"
done
printf '[MAIN]\r\n[OFFICE]\r\nRECYCLE=%s\r\n' "$recycle" >"$work/main.ini"

office_rss_kb() {
  local total=0 pid
  for pid in $(pgrep -f "soffice.bin.*pipe,name=pravik-$1-print" || true); do
    kb="$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)"
    total=$((total + ${kb:-0})) # 0 for an office that has just ended
  done
  echo "$total"
}

echo "documents office_rss_mb (0: the office is being restarted)"
start=$(date +%s)
"$pravik" --print "$list" --ini "$work/main.ini" >"$work/results" 2>"$work/progress" &
pravik_pid=$!
last=0
while kill -0 "$pravik_pid" 2>/dev/null; do
  n="$(grep -c '^\[' "$work/progress" || true)"
  if ((n / 50 > last / 50)); then
    awk -v n="$n" -v kb="$(office_rss_kb "$pravik_pid")" 'BEGIN { printf "%d %.1f\n", n, kb / 1024 }'
    last=$n
  fi
  sleep 0.5
done
wait "$pravik_pid" || true
printed=$(grep -c '^printed' "$work/results" || true)
echo "printed $printed of $count in $(( $(date +%s) - start )) s (RECYCLE=$recycle)"
