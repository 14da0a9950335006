#!/usr/bin/env bash
# Installs what Pravik needs on Debian 12, as root.
#   install-deps.sh          building and running the program
#   install-deps.sh --tests  also everything the tests and benchmarks need
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev fonts-ipafont-gothic
  libcups2-dev
)
if [[ "${1:-}" == "--tests" ]]; then
  packages+=(libgtest-dev libgmock-dev googletest libbenchmark-dev clang)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
