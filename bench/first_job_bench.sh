#!/usr/bin/env bash
# Where the time of the window's first job goes: each step of one document's
# job, in ms from the print question answered to the print system done with
# it, on a private print system (never the system's CUPS). Cold: a new
# program whose office is not running yet (its profile kept from an earlier
# run), the question answered at once and after a second of reading; warm:
# its second job. Each round is a program of its own; the medians count.
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
doc="$(value PRAVIK_TEST_DOCS)/pages.doc"
run() { "$bench" "$doc" Bench "$@" 2>/dev/null; }

run 0 >/dev/null # the office's profile, as on a machine in use
cases=("0" "1000" "0 warm")
titles=("cold, answered at once" "cold, 1 s of reading" "warm")
for ((round = 0; round < ${ROUNDS:-3}; round++)); do
  for c in 0 1 2; do
    # shellcheck disable=SC2086
    run ${cases[c]} | sed "s/^/$c\t/" >>"$work/steps.tsv"
  done
done
awk -F'\t' -v t0="${titles[0]}" -v t1="${titles[1]}" -v t2="${titles[2]}" '
  { v[$1, $2] = v[$1, $2] " " $3; steps[$2] = 1 }
  function median(list,   n, a, i, j, x) {
    n = split(list, a, " ")
    if (n == 0) return ""
    for (i = 2; i <= n; i++) { x = a[i] + 0; for (j = i - 1; j >= 1 && a[j] + 0 > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
    return a[int((n + 1) / 2)]
  }
  END {
    printf "%-36s %24s %24s %24s\n", "ms from the print question answered", t0, t1, t2
    for (s in steps) order[s] = median(v[0, s]) + 0
    n = 0; for (s in order) names[++n] = s
    for (i = 2; i <= n; i++) { x = names[i]; for (j = i - 1; j >= 1 && order[names[j]] > order[x]; j--) names[j + 1] = names[j]; names[j + 1] = x }
    for (i = 1; i <= n; i++) {
      s = names[i]; printf "%-36s", s
      for (c = 0; c < 3; c++) { m = median(v[c, s]); printf " %24s", (m == "" ? "-" : m) }
      printf "\n"
    }
  }' "$work/steps.tsv"
echo "(median of ${ROUNDS:-3} rounds, each a program of its own; cores: $(nproc); negative: before the answer)"
