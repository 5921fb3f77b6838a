#!/usr/bin/env bash
# Runs the libFuzzer targets of the skin package readers, one after the other, each for the
# given number of seconds. Builds the sanitizer build (build/fuzz, clang 14) when needed.
# Usage: scripts/fuzz.sh SECONDS [TARGET...]   (default: every folder of fuzz/corpus/)
# New inputs go to fuzz/corpus-run/ (not kept in git); the seeds in fuzz/corpus/ are read
# only. Exits non-zero when a target finds a crash, a leak or a hang.
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1; shift
targets=("$@")
# Every target has a seed folder of its own: those folders name the targets.
if [ ${#targets[@]} -eq 0 ]; then
  for d in "$top"/fuzz/corpus/*/; do targets+=("$(basename "$d")"); done
fi

build="$top/build/fuzz"
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S "$top" -B "$build" -G Ninja -DQN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}" >/dev/null

run="$top/fuzz/corpus-run"
status=0
for t in "${targets[@]}"; do
  mkdir -p "$run/$t" "$run/artifacts"
  log="$run/$t.log"
  echo "fuzz_$t: running for $seconds s" >&2
  if "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$run/artifacts/$t-" "$run/$t" "$top/fuzz/corpus/$t" >"$log" 2>&1; then
    runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo '?')
    echo "fuzz_$t: $runs runs in $seconds s, no findings" >&2
  else
    status=1
    echo "fuzz_$t: FINDING, see $log and $run/artifacts/" >&2
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" >&2 || true
  fi
done
exit $status
