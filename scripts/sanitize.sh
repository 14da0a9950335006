#!/usr/bin/env bash
# Builds the tests of the Qt-free libraries with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ and runs them. Any finding
# fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(core_tests list_tests settings_tests controls_tests print_tests office_tests)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DPRAVIK_SANITIZE=ON -DPRAVIK_BUILD_TESTS=ON -DPRAVIK_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan --target "${targets[@]}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
for target in "${targets[@]}"; do
  echo "== $target"
  "build-asan/bin/$target" --gtest_brief=1
done
