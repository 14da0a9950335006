#!/usr/bin/env bash
# Installs what the program needs, makes sure something can print, builds it
# and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/setup-pdf-printer.sh
scripts/build.sh -DPRAVIK_BUILD_TESTS=OFF -DPRAVIK_BUILD_BENCH=OFF
exec build/bin/pravik "$@"
