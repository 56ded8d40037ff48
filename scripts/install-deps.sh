#!/usr/bin/env bash
# Installs the Debian 12 packages Velorin needs, only those still missing.
# Usage: install-deps.sh run|test
set -euo pipefail
packages=(cmake g++ make qt6-base-dev libgl-dev fonts-dejavu-core fonts-dejavu-extra)
if [[ "${1:-run}" == test ]]; then
  # libcfitsio-dev is the apply benchmark's yardstick.
  # dpkg-dev lets cpack name the libraries the package needs; desktop-file-utils checks its menu entry,
  # lintian the package as a whole.
  packages+=(libgtest-dev libbenchmark-dev fitsverify python3 python3-astropy clang libclang-rt-14-dev
    dpkg-dev desktop-file-utils lintian libcfitsio-dev pkg-config)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
