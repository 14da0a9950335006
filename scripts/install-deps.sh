#!/usr/bin/env bash
# Installs what Pravik needs on Debian 12, as root.
#   install-deps.sh          building and running the program
#   install-deps.sh --tests  also everything the tests and benchmarks need
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev fonts-ipafont-gothic
  # The icon writer draws the program's icon as SVG too, for the desktop.
  qt6-svg-dev
  # Qt's own texts (standard buttons, file dialogs) in Japanese.
  qt6-translations-l10n
  # The desktop's opener, for the help, the home page and launching files.
  xdg-utils
  libcups2-dev
  # The office engine that opens and renders the documents (never the
  # -nogui variants: they cannot print or preview), and the SDK to build
  # against it.
  libreoffice-writer libreoffice-calc libreoffice-dev
  # Its menus in Japanese, for the previews the user sees.
  libreoffice-l10n-ja
  # Printing, and the PDF printer set up on a machine without printers.
  cups cups-client cups-filters printer-driver-cups-pdf
)
if [[ "${1:-}" == "--tests" ]]; then
  # clang only recommends its sanitizer and fuzzer runtimes: name them.
  packages+=(libgtest-dev libgmock-dev googletest libbenchmark-dev clang libclang-rt-14-dev)
  # Reading back what was printed, and a display for the previews.
  packages+=(poppler-utils ghostscript xvfb xauth)
  # The office's Python bridge, for the bare print loop the benchmark
  # measures against.
  packages+=(python3-uno)
  # The Windows build, cross-compiled and tested under Wine (Qt for it from
  # scripts/qt-mingw.sh, built with Debian's host tools of the same Qt), its
  # zip and installer, and the installed program driven on a virtual display.
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 qt6-base-dev-tools zip unzip nsis xdotool imagemagick)
  # Checking the Debian package: its desktop entry and lintian.
  packages+=(desktop-file-utils lintian)
  # Wine runs the Windows tests as a Japanese Windows (code page 932), which
  # takes the host's Japanese locale.
  packages+=(locales)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=900 update -q
  apt-get -o DPkg::Lock::Timeout=900 install -y -q --no-install-recommends "${missing[@]}"
fi
if [[ "${1:-}" == "--tests" ]] && ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
