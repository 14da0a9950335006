#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
scripts/build.sh -DPRAVIK_BUILD_TESTS=ON -DPRAVIK_BUILD_BENCH=ON
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
tests/package/package_test.sh
scripts/windows-test.sh
scripts/fuzz.sh
scripts/sanitize.sh
