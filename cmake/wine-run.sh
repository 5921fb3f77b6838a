#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build folder's private prefix. CTest uses it as
# the cross-compiling emulator; scripts use it to start the program. The executable's own
# header says which Wine runs it: a 32-bit program runs under Wine's 32-bit loader in a
# 32-bit prefix, a 64-bit one under wine64 in a 64-bit prefix.
set -euo pipefail
exe=$1; shift
here=$(dirname "$(realpath "$0")")
source "$here/../scripts/wine-arch.sh"

arch=$(qn_pe_arch "$exe") || { echo "wine-run: $exe is not a 32- or 64-bit x86 Windows program" >&2; exit 2; }
if [ "$arch" = win32 ]; then
  loader=$qn_wine32_loader
  if ! qn_wine32_runs; then
    echo "wine-run: this machine cannot run Wine's 32-bit side (its kernel does not execute 32-bit" >&2
    echo "wine-run: Linux programs); run the 64-bit build instead: ${exe/\/win32\//\/win64\/}" >&2
    exit 126
  fi
else
  loader=$qn_wine64_loader
  export WINELOADER=$loader
fi

if [ -z "${WINEPREFIX:-}" ]; then
  d=$(dirname "$(realpath "$exe")")
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  [ "$d" = / ] && d=$(dirname "$(realpath "$exe")")
  export WINEPREFIX="$d/wineprefix-$arch"
fi
source "$here/../scripts/xvfb.sh"
qn_start_xvfb
# One preparation at a time when tests start in parallel.
mkdir -p "$(dirname "$WINEPREFIX")"
( flock 9; "$here/../scripts/wine-prefix.sh" "$WINEPREFIX" "$arch" ) 9>"$WINEPREFIX.lock"
export WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$loader" "$exe" "$@"
