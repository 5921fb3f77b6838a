#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12. Safe to run again: it only
# installs what is missing. Needs root (or sudo) the first time.
set -euo pipefail

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

packages=(
  cmake ninja-build make pkg-config dpkg-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine32:i386 wine64 fonts-wine xvfb x11-utils x11-apps netpbm fonts-wqy-zenhei fonts-wqy-microhei
  nasm tcl googletest libbenchmark-dev zlib1g-dev
  clang-14 libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

need_src=0
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  need_src=1
fi

if [ ${#missing[@]} -eq 0 ] && [ $need_src -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]:-source entries}" >&2
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
if [ $need_src -eq 1 ]; then
  # Source entries let the dependency scripts fetch sqlite3 and libjpeg-turbo sources.
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  fi
  if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "deb-src http://deb.debian.org/debian bookworm main" | $SUDO tee /etc/apt/sources.list.d/qingnang-src.list >/dev/null
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  # On a machine whose kernel cannot run 32-bit programs the i386 packages' own scripts
  # print "Exec format error"; what counts is what ends up installed, checked below.
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
    echo "setup: apt-get reported errors; checking what was installed" >&2
fi
still=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || still+=("$p")
done
for p in "${still[@]}"; do
  case "$p" in
    # Wine's 32-bit side is optional: where it cannot be had, the 64-bit build is tested.
    *:i386) echo "setup: $p is not installed; only the 64-bit Windows build will run" >&2 ;;
    *) echo "setup: could not install ${still[*]}" >&2; exit 1 ;;
  esac
done
