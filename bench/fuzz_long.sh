#!/usr/bin/env bash
# Runs every libFuzzer target for a long time (FUZZ_SECONDS each, default
# 600) one after another, keeping each target's corpus in build-fuzz/corpus/
# so that a later run goes on where this one stopped. Findings go to
# build-fuzz/findings/. Prints a summary line per target and exits 1 when
# any target found something.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-600}"
targets=(sheet_list_fuzz list_file_fuzz ini_file_fuzz page_range_fuzz num_edit_text_fuzz text_codec_fuzz)
FUZZ_BUILD_ONLY=1 scripts/fuzz.sh >/dev/null 2>&1 || { echo "building the fuzz targets failed" >&2; exit 2; }
status=0
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$target"
  mkdir -p "$corpus" build-fuzz/findings
  log="build-fuzz/$target.log"
  "build-fuzz/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$target-" "$corpus" >"$log" 2>&1
  rc=$?
  runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
  if ((rc == 0)); then
    echo "$target: ${seconds}s, ${runs:-?} inputs, nothing found"
  else
    echo "$target: FOUND a fault after ${runs:-?} inputs; see $log and build-fuzz/findings/"
    status=1
  fi
done
exit $status
