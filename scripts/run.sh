#!/usr/bin/env bash
# Builds the program and starts it: under Wine on Linux. Without a display it runs on a
# private Xvfb, saves a screenshot of the main window and says where, then closes it.
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cd "$top"
bash scripts/build.sh

exe=build/win32/bin/qingnang.exe
if [ -n "${DISPLAY:-}" ]; then
  exec cmake/wine-run.sh "$exe"
fi
bash scripts/screenshot.sh build/screenshot.png
