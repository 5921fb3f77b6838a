#!/usr/bin/env bash
# Starts the skin gallery on a private Xvfb, saves a picture of its window as PNG and closes it.
# Usage: gallery-shot.sh OUT.png [--skin NAME] [--tab N] [--menu C]   (NAME: a package in skins/,
# e.g. ink; C: the underlined letter of a menu-bar entry to show open, e.g. e for Edit)
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cd "$top"
out=$(realpath -m "$1"); shift
skin=()
shot=()
while [ $# -gt 0 ]; do
  case $1 in
    --skin) skin=(--skin "$2"); shift 2 ;;
    *) shot+=("$1"); shift ;;
  esac
done
source scripts/xvfb.sh
source scripts/wine-arch.sh
unset DISPLAY
qn_start_xvfb
bin=$(qn_win_build "$top")/bin
bmp="${out%.png}.bmp"
rm -f "$bmp"
cmake/wine-run.sh "$bin/skingallery.exe" "${skin[@]}" &
app=$!
cmake/wine-run.sh "$bin/winshot.exe" TGalleryForm "Z:${bmp//\//\\}" 30000 "${shot[@]}" --close
wait "$app" || true
bmptopnm "$bmp" 2>/dev/null | pnmtopng > "$out"
rm -f "$bmp"
echo "screenshot: $out"
