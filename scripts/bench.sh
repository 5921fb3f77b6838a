#!/usr/bin/env bash
# Runs the benchmarks: the Windows ones under Wine, from the 32-bit build where this machine
# runs Wine's 32-bit side and from the 64-bit build otherwise, then the native ones. Each
# prints "name: value unit" lines with its ratio to a baseline measured in the same run.
# Usage: bench.sh [NAME...]   (e.g. bench_app bench_codec; default: every bench_* program)
# Build first (scripts/build.sh).
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cd "$top"
source scripts/wine-arch.sh
win=$(qn_win_build "$top")/bin
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in "$win"/bench_*.exe build/native/bin/bench_*; do
    [ -e "$f" ] && names+=("$(basename "${f%.exe}")")
  done
fi
[ ${#names[@]} -gt 0 ] || { echo "bench: no benchmarks built; run scripts/build.sh first" >&2; exit 1; }
for n in "${names[@]}"; do
  echo "== $n"
  if [ -x "$win/$n.exe" ]; then
    cmake/wine-run.sh "$win/$n.exe"
  elif [ -x "build/native/bin/$n" ]; then
    "build/native/bin/$n"
  else
    echo "bench: $n is not built" >&2
    exit 1
  fi
done
