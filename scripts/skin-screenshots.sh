#!/usr/bin/env bash
# Pictures of the program's main window in each of our skins, active and inactive, into
# docs/screens/ (PNG). Usage: skin-screenshots.sh [OUT-DIR]
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cd "$top"
out=$(realpath -m "${1:-docs/screens}")
mkdir -p "$out"
source scripts/xvfb.sh
source scripts/wine-arch.sh
unset DISPLAY
qn_start_xvfb
build=$(qn_win_build "$top")
for skin in builtin ink jade; do
  file=builtin
  [ "$skin" != builtin ] && file="Z:${build//\//\\}\\skins\\$skin.skn"
  for state in active inactive; do
    bmp="$out/$skin-$state.bmp"
    flag=""
    [ "$state" = inactive ] && flag=--inactive
    cmake/wine-run.sh "$build/bin/skinshot.exe" "$file" "Z:${bmp//\//\\}" $flag
    bmptopnm "$bmp" 2>/dev/null | pnmtopng > "${bmp%.bmp}.png"
    rm -f "$bmp"
    echo "skin-screenshots: ${bmp%.bmp}.png"
  done
done
