#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the same under the address and
# undefined-behaviour sanitizers with a short run of each fuzzer, and the Windows tests
# under Wine on a private Xvfb: on the 32-bit build (the shipped program) where this machine
# runs Wine's 32-bit side, and on the 64-bit build under wine64 everywhere.
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cd "$top"
bash scripts/build.sh --all
source scripts/wine-arch.sh

source scripts/xvfb.sh
unset DISPLAY
qn_start_xvfb

jobs=$(nproc)
ctest --test-dir build/native -j "$jobs" --output-on-failure --no-tests=error
ctest --test-dir build/fuzz -j "$jobs" --output-on-failure --no-tests=error
if [ -x scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh "${QN_FUZZ_SECONDS:-20}"
fi

# Every Windows suite runs, also after one fails, so that a fault of one architecture alone
# shows as such.
tested=()
failed=()
run_windows_suite() {  # build folder, label
  if ctest --test-dir "$1" -j "$jobs" --output-on-failure --no-tests=error --timeout 600; then
    tested+=("$2")
  else
    failed+=("$2")
  fi
}
if qn_wine32_runs; then
  run_windows_suite build/win32 "win32 (i686 under wine)"
else
  echo "test: this machine cannot run Wine's 32-bit side; the 32-bit build was compiled, not run" >&2
fi
run_windows_suite build/win64 "win64 (x86_64 under wine64)"

join() { local IFS=,; echo "${*:-nothing}" | sed 's/,/, /g'; }
summary="test: Windows tests passed on $(join "${tested[@]}")"
[ ${#failed[@]} -gt 0 ] && summary+="; FAILED on $(join "${failed[@]}")"
echo "$summary"
if [ ${#failed[@]} -gt 0 ] || [ ${#tested[@]} -eq 0 ]; then
  echo "test: FAILED" >&2
  exit 1
fi
echo "test: all passed"
