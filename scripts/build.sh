#!/usr/bin/env bash
# Builds the project: native tools and tests, then the Windows program and its tests.
# Usage: build.sh [--all]   --all also builds the 64-bit Windows tree and the sanitizer
#                           and fuzzing tree.
# The 64-bit Windows tree is built without --all as well where this machine cannot run Wine's
# 32-bit side: it is then the build that runs.
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cd "$top"
all=0
[ "${1:-}" = --all ] && all=1
jobs=$(nproc)

bash scripts/setup.sh
source scripts/wine-arch.sh
win64=$all
qn_wine32_runs || win64=1
if [ $win64 = 1 ]; then bash scripts/deps.sh i686 x86_64; else bash scripts/deps.sh i686; fi

configure() {  # folder, cmake arguments...
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  fi
}

configure build/native -DCMAKE_BUILD_TYPE=Release
cmake --build build/native -j "$jobs"

configure build/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DQN_HOST_BIN="$top/build/native/bin"
cmake --build build/win32 -j "$jobs"

if [ $win64 = 1 ]; then
  configure build/win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DQN_HOST_BIN="$top/build/native/bin"
  cmake --build build/win64 -j "$jobs"
fi
if [ $all = 1 ]; then
  CC=clang-14 CXX=clang++-14 configure build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQN_FUZZ=ON
  cmake --build build/fuzz -j "$jobs"
fi
