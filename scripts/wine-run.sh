#!/usr/bin/env bash
# Runs a Windows program under Wine without a display or dialogs, in a Wine
# prefix of the build's own: wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# Without a program it only makes the prefix.
set -euo pipefail
export WINEPREFIX=$1
shift
export WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko: their install dialogs would wait for a click forever.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
unset DISPLAY WAYLAND_DISPLAY
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  mkdir -p "$WINEPREFIX"
  wine wineboot --init >/dev/null 2>&1
  wineserver --wait
fi
[[ $# -eq 0 ]] && exit 0
exec wine "$@"
