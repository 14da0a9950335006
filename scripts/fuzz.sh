#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# a few seconds (FUZZ_SECONDS, default 10; FUZZ_BUILD_ONLY=1 only builds). Fails on the first finding; the
# input that caused it is kept in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-10}"
targets=(sheet_list_fuzz list_file_fuzz ini_file_fuzz page_range_fuzz num_edit_text_fuzz text_codec_fuzz)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DPRAVIK_BUILD_FUZZ=ON -DPRAVIK_BUILD_TESTS=OFF -DPRAVIK_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]}"
[[ -n "${FUZZ_BUILD_ONLY:-}" ]] && exit 0
findings="$PWD/build-fuzz/findings"
mkdir -p "$findings"
for target in "${targets[@]}"; do
  corpus="$(mktemp -d)"
  echo "== $target (${seconds}s)"
  if ! "build-fuzz/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$findings/$target-" "$corpus" >"$corpus.log" 2>&1; then
    tail -n 40 "$corpus.log"
    rm -rf "$corpus" "$corpus.log"
    exit 1
  fi
  grep -E '^stat::number_of_executed_units' "$corpus.log" || true
  rm -rf "$corpus" "$corpus.log"
done
