#!/usr/bin/env bash
# Installs the Debian 12 packages Velorin needs, only those still missing.
# Usage: install-deps.sh run|test
set -euo pipefail
# qt6-translations-l10n: Qt's own dialogs and buttons in German.
packages=(cmake g++ make qt6-base-dev libgl-dev libcli11-dev fonts-dejavu-core fonts-dejavu-extra qt6-translations-l10n)
if [[ "${1:-run}" == test ]]; then
  # libcfitsio-dev is the apply benchmark's yardstick.
  # dpkg-dev lets cpack name the libraries the package needs; desktop-file-utils checks its menu entry,
  # lintian the package as a whole. locales: the number texts are tested under a German locale too.
  packages+=(libgtest-dev libbenchmark-dev fitsverify python3 python3-astropy clang libclang-rt-14-dev
    dpkg-dev desktop-file-utils lintian locales libcfitsio-dev pkg-config
    # The check against the sky: its tests build their own small index, so no index package.
    astrometry.net
    # The Windows build: MinGW-w64, GoogleTest's sources to build for it, Wine to run it.
    g++-mingw-w64-x86-64-posix googletest wine wine64)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
if [[ ${#missing[@]} -ne 0 ]]; then
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [[ "${1:-run}" == test ]] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the de_DE.UTF-8 locale"
  "${sudo[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo[@]}" locale-gen
fi
