#!/usr/bin/env bash
# Pictures of the program's main window in each of our skins, active and inactive, into
# docs/screens/ (PNG). Usage: skin-screenshots.sh [OUT-DIR]
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cd "$top"
out=$(realpath -m "${1:-docs/screens}")
mkdir -p "$out"
source scripts/xvfb.sh
unset DISPLAY
qn_start_xvfb
for skin in builtin ink jade; do
  file=builtin
  [ "$skin" != builtin ] && file="Z:${top//\//\\}\\build\\win32\\skins\\$skin.skn"
  for state in active inactive; do
    bmp="$out/$skin-$state.bmp"
    flag=""
    [ "$state" = inactive ] && flag=--inactive
    cmake/wine-run.sh build/win32/bin/skinshot.exe "$file" "Z:${bmp//\//\\}" $flag
    bmptopnm "$bmp" 2>/dev/null | pnmtopng > "${bmp%.bmp}.png"
    rm -f "$bmp"
    echo "skin-screenshots: ${bmp%.bmp}.png"
  done
done
