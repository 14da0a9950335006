#!/usr/bin/env bash
# Cross-builds the whole program for Windows (mingw-w64, with Qt from
# scripts/qt-mingw.sh) into build-win/ and runs its tests under Wine: the
# codec, the COM backend, the print jobs, `pravik.com --print` against a
# stand-in office server, and the tests of the windows and controls. Then
# makes the zip and the installer and tries them as a user would.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-win
qt="$(scripts/qt-mingw.sh)"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPRAVIK_BUILD_TESTS=ON -DPRAVIK_BUILD_BENCH=OFF "${launcher[@]}" "$@"
cmake --build "$build" --parallel "$(nproc)"
# One Wine for all the tests, ended whatever happens.
trap 'scripts/wine-session.sh stop "$build"' EXIT
scripts/wine-session.sh start "$build"
# Under load, Wine now and then fails to start a test's process at all (no
# output, a few milliseconds) or keeps one from exiting: such a test gets a
# second try. A test that fails for what it checks fails both.
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --repeat until-pass:2
scripts/wine-session.sh stop "$build"
trap - EXIT

scripts/windows-package.sh "$build"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
tests/windows/installed_program_test.sh "$build" "$build/package/Pravik-$version-windows-x64-setup.exe" \
  "$build/package/Pravik-$version-windows-x64.zip"
