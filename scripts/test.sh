#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the same under the address and
# undefined-behaviour sanitizers with a short run of each fuzzer, and the Windows tests
# under Wine on a private Xvfb.
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cd "$top"
bash scripts/build.sh --all

source scripts/xvfb.sh
unset DISPLAY
qn_start_xvfb

jobs=$(nproc)
ctest --test-dir build/native -j "$jobs" --output-on-failure
ctest --test-dir build/fuzz -j "$jobs" --output-on-failure
if [ -x scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh "${QN_FUZZ_SECONDS:-20}"
fi
ctest --test-dir build/win32 -j "$jobs" --output-on-failure --timeout 600
echo "test: all passed"
