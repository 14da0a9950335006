#!/usr/bin/env bash
# Provides Qt 6.4.2 for 64-bit Windows (mingw-w64, posix threads) and prints
# its folder. Debian ships Qt's source but no Qt for mingw, so it comes from
#   1. the cache folder, when an earlier run made it (costs nothing);
#   2. ../shared/cache/qt-6.4.2-mingw-w64.tar.xz, unpacked when it is there;
#   3. otherwise Debian's own source of qt6-base, fetched with apt-get source
#      through an apt configuration of this script's (the system's stays as
#      it is) and built: about 45 minutes on two cores.
# The cache lives outside the build folders: PRAVIK_QT_MINGW_CACHE, default
# ~/.cache/pravik. The cross build runs Debian's host tools (moc, rcc, uic)
# of the same version, from qt6-base-dev-tools.
set -euo pipefail
cd "$(dirname "$0")/.."
version=6.4.2
name="qt-$version-mingw-w64"
cache="${PRAVIK_QT_MINGW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pravik}"
qt="$cache/$name"
archive="../shared/cache/$name.tar.xz"

if [[ -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]]; then
  echo "$qt"
  exit 0
fi
mkdir -p "$cache"
# Made beside the cache and moved in whole: an interrupted run leaves no
# half a Qt that a later run would take for a finished one.
work="$(mktemp -d "$cache/.$name.XXXXXX")"
trap 'rm -rf "$work"' EXIT

if [[ -f "$archive" ]]; then
  echo "qt-mingw: unpacking $archive" >&2
  tar -xJf "$archive" -C "$work"
else
  echo "qt-mingw: no $archive; building Qt $version for mingw-w64 from Debian's source (about 45 minutes)" >&2
  # A private apt with the deb-src line, so the system's sources stay untouched.
  apt="$work/apt"
  mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/sources.list.d"
  echo "deb-src http://deb.debian.org/debian bookworm main" >"$apt/sources.list"
  apt_options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
               -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache::Archives=$apt/archives"
               -o "APT::Sandbox::User=root")
  apt-get "${apt_options[@]}" update -q >&2
  # The very source of the host's Qt, whose moc, rcc and uic the build uses.
  source_version="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
  [[ "$source_version" == "$version"+* ]] || { echo "qt-mingw: the host's Qt is $source_version, not $version" >&2; exit 1; }
  (cd "$work" && apt-get "${apt_options[@]}" source -q --download-only "qt6-base=$source_version" >&2)
  (cd "$work" && dpkg-source -x --skip-debianization ./qt6-base_*.dsc source >&2)
  source="$work/source"
  # Debian's "+dfsg" source lacks the tablet driver's header (tablet events
  # are off below); and with OpenGL off the windows plugin must not take its
  # dynamic-GL branches.
  sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
    "$source/src/plugins/platforms/windows/qwindowswindow.cpp"
  cmake -S "$source" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$work/$name" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_testlib=ON -DFEATURE_zstd=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_tabletevent=OFF >&2
  cmake --build "$work/build" --parallel "$(nproc)" >&2
  cmake --install "$work/build" >&2
  rm -rf "$work/build" "$source" "$apt"
fi
rm -rf "$qt"
mv "$work/$name" "$qt"
echo "$qt"
