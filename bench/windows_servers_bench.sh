#!/usr/bin/env bash
# Under Wine, once scripts/windows-test.sh has built build-win: `pravik.com
# --print` over COUNT rows (20 unless given) against the stand-in office
# server registered as Word and Excel, every server taking START_MS to start
# (1000) and PRINT_MS in each print (200). The same rows run twice:
#   alternating  Word and Excel rows in turn, so that no row is followed by
#                one of its own application and every server starts in its
#                row's own time, as before servers were started ahead;
#   grouped      the Word rows, then the Excel rows: the next rows' servers
#                start while the row in hand prints.
# Also printed: the serial time COUNT x (START_MS + PRINT_MS) that no run of
# one server per row, started in its row, can beat.
#   [START_MS=1000] [PRINT_MS=200] [ROUNDS=3] bench/windows_servers_bench.sh [build-win] [COUNT]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build-win}" && pwd)"
count="${2:-20}"
start_ms="${START_MS:-1000}"
print_ms="${PRINT_MS:-200}"
rounds="${ROUNDS:-3}"
for program in pravik.com test_office_server.exe; do
  [[ -f "$build/bin/$program" ]] || { echo "$build/bin/$program is missing: run scripts/windows-test.sh" >&2; exit 2; }
done
work="$(mktemp -d /tmp/pravik-win-bench-XXXXXX)"
cleanup() {
  "$root/scripts/wine-session.sh" stop "$build" || true
  rm -rf "$work"
}
trap cleanup EXIT
export PRAVIK_WINEPREFIX="$build/wine-prefix"
wine_run() { "$root/scripts/wine-run.sh" "$@" </dev/null; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }

echo "Starting Wine..."
"$root/scripts/wine-session.sh" start "$build"
printer='Pravik Test Printer'
server="$(winpath "$build/bin/test_office_server.exe")"
register() { # PROGID CLSID
  wine_run reg add "HKCR\\$1\\CLSID" /ve /d "$2" /f >/dev/null 2>&1
  wine_run reg add "HKCR\\CLSID\\$2\\LocalServer32" /ve /f >/dev/null 2>&1 \
    /d "\"$server\" $1 \"$(winpath "$work/transcript.txt")\" start=$start_ms print=$print_ms"
}
register Excel.Application '{3C5B1A70-8E2D-4F6A-B1C9-2D7E0A4F5B61}'
register Word.Application '{3C5B1A71-8E2D-4F6A-B1C9-2D7E0A4F5B61}'

row() { # NAME SHEETS
  printf 'not a real document' >"$work/$1"
  printf '%s\r\n\r\n%s\r\n%s\r\n1\r\n%s\r\n%s\r\n' "$1" "$2" "${1##*.}" "$printer" "$(winpath "$work/$1")"
}
: >"$work/alternating.lst"
: >"$work/grouped.lst"
for ((i = 0; i < count; i++)); do
  if ((i % 2 == 0)); then row "$i.doc" '' >>"$work/alternating.lst"; else row "$i.xls" '"Sheet1"' >>"$work/alternating.lst"; fi
done
for ((i = 0; i < count; i += 2)); do row "$i.doc" '' >>"$work/grouped.lst"; done
for ((i = 1; i < count; i += 2)); do row "$i.xls" '"Sheet1"' >>"$work/grouped.lst"; done

# Seconds for one run of a list, every row printed.
timed() {
  rm -rf "$work"/transcript.txt*
  local began ended
  began="$(date +%s.%N)"
  wine_run "$build/bin/pravik.com" --print "$(winpath "$work/$1.lst")" >"$work/$1.out" 2>&1 \
    || { cat "$work/$1.out" >&2; echo "the $1 run failed" >&2; exit 1; }
  ended="$(date +%s.%N)"
  local printed
  printed="$(grep -c '^printed' "$work/$1.out" || true)"
  [[ "$printed" == "$count" ]] || { cat "$work/$1.out" >&2; echo "$printed of $count rows printed" >&2; exit 1; }
  echo "$ended - $began" | bc
}

best() { sort -n | head -n1; }
declare -A seconds
for order in alternating grouped; do
  seconds[$order]="$(for ((r = 0; r < rounds; r++)); do timed "$order"; done | best)"
done
serial="$(echo "$count * ($start_ms + $print_ms) / 1000" | bc -l)"
printf '%d rows, servers starting in %d ms and printing in %d ms (best of %d):\n' \
  "$count" "$start_ms" "$print_ms" "$rounds"
printf '  %-34s %6.2f s\n' "serial floor, one start per row" "$serial"
printf '  %-34s %6.2f s\n' "alternating (no server ahead)" "${seconds[alternating]}"
printf '  %-34s %6.2f s   %.2f of alternating, %.2f of the serial floor\n' "grouped (next servers started ahead)" \
  "${seconds[grouped]}" "$(echo "${seconds[grouped]} / ${seconds[alternating]}" | bc -l)" \
  "$(echo "${seconds[grouped]} / $serial" | bc -l)"
