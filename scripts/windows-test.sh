#!/usr/bin/env bash
# Cross-builds the Qt-free part of the program for Windows (mingw-w64) into
# build-win/ and runs its tests under Wine: the codec, the COM backend, the
# print jobs and `pravik.exe --print` against a stand-in office server.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-win
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPRAVIK_WITH_QT=OFF -DPRAVIK_BUILD_TESTS=ON \
  -DPRAVIK_BUILD_BENCH=OFF "${launcher[@]}" "$@"
cmake --build "$build" --parallel "$(nproc)"
# One Wine for all the tests, ended whatever happens.
trap 'scripts/wine-session.sh stop "$build"' EXIT
scripts/wine-session.sh start "$build"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"

