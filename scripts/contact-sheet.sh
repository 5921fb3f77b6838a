#!/usr/bin/env bash
# Draws the contact sheet of a skin package (every skin object, its frames apart and named)
# as a PNG. Builds the Windows tool in build/win32 when it is missing (set QN_WIN_BUILD to use
# another Windows build folder) and runs it under Wine.
# Usage: scripts/contact-sheet.sh SKIN.skn OUT.png
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
if [ $# -ne 2 ]; then
  echo "usage: $0 SKIN.skn OUT.png" >&2
  exit 2
fi
skin=$(realpath "$1")
out=$(realpath -m "$2")
build=${QN_WIN_BUILD:-$top/build/win32}
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
