#!/usr/bin/env bash
# Builds the Debian package build-package/pravik_VERSION_ARCH.deb: the
# program built for the whole system (/usr/bin/pravik, /usr/share/pravik,
# the desktop entry, icons and manual page), as `cmake --install` stages it.
#   package.sh [--version VERSION]   VERSION defaults to the project's
# PRAVIK_MAINTAINER names the package's maintainer ("Name <address>").
set -euo pipefail
cd "$(dirname "$0")/.."
version=""
if [[ "${1:-}" == "--version" && -n "${2:-}" ]]; then
  version="$2"
elif (($#)); then
  echo "usage: $0 [--version VERSION]" >&2
  exit 2
fi
maintainer="${PRAVIK_MAINTAINER:-Pravik maintainers <maintainers@pravik.example>}"
scripts/install-deps.sh

build=build-package
# The flags Debian builds its own packages with (all the hardening, no build
# paths).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None "${launcher[@]}" \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_INSTALL_PREFIX=/usr -DPRAVIK_SYSTEM_INSTALL=ON \
  -DPRAVIK_BUILD_TESTS=OFF -DPRAVIK_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
[[ -n "$version" ]] || version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
arch="$(dpkg --print-architecture)"

# dpkg-shlibdeps wants the tree where debhelper would have it.
work="$build/deb"
root="$work/debian/pravik"
rm -rf "$work"
mkdir -p "$root/DEBIAN"
DESTDIR="$PWD/$root" cmake --install "$build" >/dev/null
# As Debian strips its programs: no symbols, no compiler notes.
strip --remove-section=.comment --remove-section=.note "$root/usr/bin/pravik"

# One entry per package built, dated by the last commit so that the same
# sources give the same package.
epoch="$(git log -1 --format=%ct 2>/dev/null || date +%s)"
docs="$root/usr/share/doc/pravik"
mkdir -p "$docs"
cat >"$docs/copyright" <<EOF
Pravik: a batch printer for Word documents and Excel workbooks.

Copyright $(date -u -d "@$epoch" +%Y) the Pravik developers

The Pravik sources come from the project's repository; this package holds
the program built from them, its settings file, its guide and its icons.
EOF
date="$(date -R -u -d "@$epoch")"
cat <<EOF | gzip -9n >"$docs/changelog.gz"
pravik ($version) unstable; urgency=medium

  * Built from the Pravik sources.

 -- $maintainer  $date
EOF
install -D -m 644 resources/linux/lintian-overrides "$root/usr/share/lintian/overrides/pravik"

mkdir -p "$work/debian"
printf 'Source: pravik\n\nPackage: pravik\nArchitecture: any\n' >"$work/debian/control"
shlibs="$(cd "$work" && dpkg-shlibdeps -O -edebian/pravik/usr/bin/pravik | sed -n 's/^shlibs:Depends=//p')"
[[ -n "$shlibs" ]] || { echo "dpkg-shlibdeps found no libraries" >&2; exit 1; }

# What the program drives besides its libraries: the office (Writer, Calc and
# the UNO runtime it is reached through), the window system's Qt plugins,
# Qt's Japanese texts and a Japanese font for the windows.
cat >"$root/DEBIAN/control" <<EOF
Package: pravik
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $shlibs, libreoffice-writer, libreoffice-calc, ure, qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic
Recommends: printer-driver-cups-pdf, cups, libreoffice-l10n-ja, xdg-utils
Section: misc
Priority: optional
Description: batch printer for Word documents and Excel workbooks
 Pravik collects Word documents and templates (.doc, .dot) and Excel
 workbooks and templates (.xls, .xlt) into one list, gives every entry its
 own memo, pages or sheets, copies and printer, saves the list to open it
 again later, and prints or previews the chosen entries in one run.
 .
 The documents are rendered by LibreOffice Writer and Calc in the
 background and printed to the CUPS printers. The windows are in Japanese.
 "pravik --print LIST" prints a saved list without windows, for example
 from cron.
EOF
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

package="$build/pravik_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$package" >/dev/null
echo "$package"
