#!/usr/bin/env bash
# Starts the program on a private Xvfb, waits for its main window, saves a picture of it as
# PNG, and closes the program again.
# Usage: screenshot.sh OUT.png [WINSHOT-OPTIONS...]   (e.g. --tab 1 for the About page)
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cd "$top"
out=$(realpath -m "$1"); shift
source scripts/xvfb.sh
source scripts/wine-arch.sh
unset DISPLAY
qn_start_xvfb
bin=$(qn_win_build "$top")/bin
bmp="${out%.png}.bmp"
rm -f "$bmp"
cmake/wine-run.sh "$bin/qingnang.exe" &
app=$!
cmake/wine-run.sh "$bin/winshot.exe" TForm1 "Z:${bmp//\//\\}" 30000 "$@" --close
wait "$app" || true
bmptopnm "$bmp" 2>/dev/null | pnmtopng > "$out"
rm -f "$bmp"
echo "screenshot: $out"
