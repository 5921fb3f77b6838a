#!/usr/bin/env bash
# Draws the contact sheet of a skin package (every skin object, its frames apart and named)
# as a PNG. Builds the Windows tool when it is missing, in the Windows build this machine runs
# (build/win32, or build/win64 where Wine's 32-bit side cannot run; QN_WIN_BUILD names
# another folder), and runs it under Wine.
# Usage: scripts/contact-sheet.sh SKIN.skn OUT.png
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
if [ $# -ne 2 ]; then
  echo "usage: $0 SKIN.skn OUT.png" >&2
  exit 2
fi
skin=$(realpath "$1")
out=$(realpath -m "$2")
source "$top/scripts/wine-arch.sh"
build=${QN_WIN_BUILD:-$(qn_win_build "$top")}
tool="$build/bin/contactsheet.exe"
if [ ! -x "$tool" ]; then
  cmake --build "$build" -j2 --target contactsheet >/dev/null
fi
bmp=$(mktemp --suffix=.bmp)
trap 'rm -f "$bmp"' EXIT
"$top/cmake/wine-run.sh" "$tool" "Z:${skin//\//\\}" "Z:${bmp//\//\\}"
mkdir -p "$(dirname "$out")"
bmptopnm "$bmp" 2>/dev/null | pnmtopng -compression 9 > "$out"
echo "contact sheet: $out"
