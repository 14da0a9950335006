#!/usr/bin/env bash
# Where the time of the window's first office work goes: each step, in ms
# from the user's go to the print system done with the job (or the sheets
# listed, or the preview shown), on a private print system (never the
# system's CUPS). Each run is a program of its own whose office is not
# running yet (its profile kept from an earlier run), except "warm" (its
# second job). The columns:
#   cold       the print question answered at once
#   cold+read  answered after a second of reading
#   warm       the office already running
#   sheets     読込 of a workbook's row, a second after the editor opened
#   preview    a Word document's preview, the question answered at once
#              (needs a display: Xvfb is started where there is none)
#   [ROUNDS=N] bench/first_job_bench.sh [build/bin/first_job_bench]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
bench="$(realpath "${1:-$root/build/bin/first_job_bench}")"
work="$(mktemp -d /tmp/pravik-bench-XXXXXX)"
session="$work/session"
trap '"$root/tests/engine/session.sh" stop "$session"; rm -rf "$work"' EXIT

"$root/tests/engine/session.sh" start "$session" "$root/tests/engine/docs" </dev/null >/dev/null
value() { sed -n "s/^$1=//p" "$session/session.env" | head -n1; }
export CUPS_SERVER="$(value CUPS_SERVER)"
export XDG_CACHE_HOME="$work/cache"
lpadmin -p Bench -E -v file:///dev/null -m raw 2>/dev/null
docs="$(value PRAVIK_TEST_DOCS)"
if [[ -z "${DISPLAY:-}" ]] && command -v Xvfb >/dev/null; then
  Xvfb :97 -screen 0 1280x1024x24 >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb; "$root/tests/engine/session.sh" stop "$session"; rm -rf "$work"' EXIT
  export DISPLAY=:97
  sleep 1
fi
run() { "$bench" "$1" Bench "$2" "$3" 2>/dev/null; }

run "$docs/pages.doc" 0 print >/dev/null # the offices' profiles, as on a machine in use
run "$docs/pages.doc" 0 preview >/dev/null || true
titles=(cold cold+read warm sheets preview)
cases=("pages.doc 0 print" "pages.doc 1000 print" "pages.doc 0 warm" "sheets.xls 1000 sheets" "pages.doc 0 preview")
for ((round = 0; round < ${ROUNDS:-3}; round++)); do
  for c in 0 1 2 3 4; do
    read -r doc reading kind <<<"${cases[c]}"
    [[ "$kind" == preview && -z "${DISPLAY:-}" ]] && continue
    run "$docs/$doc" "$reading" "$kind" | sed "s/^/$c\t/" >>"$work/steps.tsv" || true
  done
done
awk -F'\t' -v titles="${titles[*]}" '
  BEGIN { split(titles, title, " ") }
  { v[$1, $2] = v[$1, $2] " " $3; steps[$2] = 1 }
  function median(list,   n, a, i, j, x) {
    n = split(list, a, " ")
    if (n == 0) return ""
    for (i = 2; i <= n; i++) { x = a[i] + 0; for (j = i - 1; j >= 1 && a[j] + 0 > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
    return a[int((n + 1) / 2)]
  }
  function first(s,   c, m) { for (c = 0; c < 5; c++) { m = median(v[c, s]); if (m != "") return m + 0 } }
  END {
    printf "%-36s", "ms from the user'"'"'s go"
    for (c = 1; c <= 5; c++) printf " %10s", title[c]
    printf "\n"
    n = 0; for (s in steps) { order[s] = first(s); names[++n] = s }
    for (i = 2; i <= n; i++) { x = names[i]; for (j = i - 1; j >= 1 && order[names[j]] > order[x]; j--) names[j + 1] = names[j]; names[j + 1] = x }
    for (i = 1; i <= n; i++) {
      s = names[i]; printf "%-36s", s
      for (c = 0; c < 5; c++) { m = median(v[c, s]); printf " %10s", (m == "" ? "-" : m) }
      printf "\n"
    }
  }' "$work/steps.tsv"
echo "(median of ${ROUNDS:-3} rounds, each a program of its own; cores: $(nproc); negative: before the go)"
