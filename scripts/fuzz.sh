#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# a few seconds (FUZZ_SECONDS, default 10).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-10}"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DPRAVIK_BUILD_FUZZ=ON -DPRAVIK_BUILD_TESTS=OFF -DPRAVIK_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target sheet_list_fuzz
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
# Crash files go to the current folder: run in the scratch corpus folder.
(cd "$corpus" && "$OLDPWD/build-fuzz/bin/sheet_list_fuzz" -max_total_time="$seconds" -print_final_stats=1 "$corpus" 2>&1 | tail -n 3)
