#!/usr/bin/env bash
# Builds the program and starts it: under Wine on Linux. Without a display it runs on a
# private Xvfb, saves a screenshot of the main window and says where, then closes it.
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cd "$top"
bash scripts/build.sh
source scripts/wine-arch.sh

# The 32-bit program where this machine runs Wine's 32-bit side, the 64-bit one otherwise.
exe=$(qn_win_build "$top")/bin/qingnang.exe
if [ -n "${DISPLAY:-}" ]; then
  exec cmake/wine-run.sh "$exe"
fi
bash scripts/screenshot.sh build/screenshot.png
