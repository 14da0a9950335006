#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
# Each phase says how long it took, so that the CI log shows where the time goes.
phase() {
  local name="$1" start=$SECONDS
  shift
  "$@"
  echo "test.sh: $name took $((SECONDS - start)) s" >&2
}
phase "installing" scripts/install-deps.sh --tests
phase "the Linux build" scripts/build.sh -DPRAVIK_BUILD_TESTS=ON -DPRAVIK_BUILD_BENCH=ON
phase "the Linux tests" ctest --test-dir build --output-on-failure --parallel "$(nproc)"
phase "the Debian package" tests/package/package_test.sh
phase "the Windows build and tests" scripts/windows-test.sh
phase "fuzzing" scripts/fuzz.sh
phase "the sanitizers" scripts/sanitize.sh
echo "test.sh: all phases took $SECONDS s" >&2
