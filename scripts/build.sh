#!/usr/bin/env bash
# Configures and builds into build/ (program, tests and benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
# A compiler cache, where there is one, makes rebuilds of other checkouts fast.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
cmake --build build --parallel "$(nproc)"
