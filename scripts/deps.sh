#!/usr/bin/env bash
# Fetches and builds the third-party libraries the Windows build links, into .cache/ (never
# into git): the SQLite amalgamation and a static libjpeg-turbo per target architecture.
# Usage: deps.sh ARCH...   (ARCH: i686 or x86_64)
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
cache="$top/.cache"
src="$cache/src"
mkdir -p "$src"

fetch_sqlite() {
  local out="$src/sqlite"
  [ -f "$out/sqlite3.c" ] && return 0
  local tmp; tmp=$(mktemp -d)
  echo "deps: fetching the SQLite amalgamation" >&2
  if (cd "$tmp" && npm pack --silent better-sqlite3@12 >/dev/null 2>&1 && tar xzf better-sqlite3-*.tgz package/deps/sqlite3); then
    mkdir -p "$out"
    cp "$tmp"/package/deps/sqlite3/sqlite3.[ch] "$out/"
  else
    # No npm registry: build the amalgamation from Debian's source package.
    (cd "$tmp" && apt-get source -qq sqlite3 >/dev/null)
    local d; d=$(find "$tmp" -maxdepth 1 -type d -name 'sqlite3-*' | head -1)
    (cd "$d" && ./configure -q >/dev/null && make -s sqlite3.c >/dev/null)
    mkdir -p "$out"
    cp "$d/sqlite3.c" "$d/sqlite3.h" "$out/"
  fi
  rm -rf "$tmp"
}

fetch_jpeg() {
  [ -d "$src/libjpeg-turbo" ] && return 0
  local tmp; tmp=$(mktemp -d)
  echo "deps: fetching libjpeg-turbo sources" >&2
  (cd "$tmp" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
  local d; d=$(find "$tmp" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -1)
  [ -n "$d" ] || { echo "deps: apt-get source libjpeg-turbo failed (are deb-src entries enabled?)" >&2; exit 1; }
  mv "$d" "$src/libjpeg-turbo"
  rm -rf "$tmp"
}

build_jpeg() {
  local arch=$1 prefix="$cache/deps/$1"
  [ -f "$prefix/lib/libturbojpeg.a" ] && [ -f "$prefix/lib/libjpeg.a" ] && return 0
  echo "deps: building libjpeg-turbo for $arch" >&2
  local b="$cache/build-jpeg-$arch"
  rm -rf "$b"
  cmake -S "$src/libjpeg-turbo" -B "$b" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON -DWITH_JPEG8=ON \
    -DREQUIRE_SIMD=OFF >"$b.log" 2>&1 || { cat "$b.log" >&2; exit 1; }
  cmake --build "$b" --target install >>"$b.log" 2>&1 || { tail -40 "$b.log" >&2; exit 1; }
  rm -rf "$b"
}

fetch_sqlite
fetch_jpeg
for arch in "$@"; do build_jpeg "$arch"; done
