#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build folder's private prefix. CTest uses it as
# the cross-compiling emulator; scripts use it to start the program.
set -euo pipefail
exe=$1; shift
here=$(dirname "$(realpath "$0")")
if [ -z "${WINEPREFIX:-}" ]; then
  d=$(dirname "$(realpath "$exe")")
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  [ "$d" = / ] && d=$(dirname "$(realpath "$exe")")
  export WINEPREFIX="$d/wineprefix"
fi
source "$here/../scripts/xvfb.sh"
qn_start_xvfb
# One preparation at a time when tests start in parallel.
mkdir -p "$(dirname "$WINEPREFIX")"
( flock 9; "$here/../scripts/wine-prefix.sh" "$WINEPREFIX" ) 9>"$WINEPREFIX.lock"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine "$exe" "$@"
