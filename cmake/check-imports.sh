#!/usr/bin/env bash
# Fails when a Windows program imports a function that is not on the list of those the oldest
# Windows we support provides (cmake/winxp-imports.txt): such a program would not even start
# there, because the loader refuses it.
# Usage: check-imports.sh OBJDUMP PROGRAM.exe LIST
set -euo pipefail
objdump=$1 exe=$2 list=$3
imports=$("$objdump" -p "$exe" | awk '
  /DLL Name:/ { dll = tolower($3); next }
  dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]/ { print dll "!" $3 }
  /^$/ { dll = "" }' | sort -u)
[ -n "$imports" ] || { echo "check-imports: no imports read from $exe" >&2; exit 1; }
allowed=$(awk '
  /^#/ || NF == 0 { next }
  /^\[.*\]$/ { dll = tolower(substr($0, 2, length($0) - 2)); next }
  { for (i = 1; i <= NF; ++i) print dll "!" $i }' "$list" | sort -u)
unknown=$(comm -23 <(echo "$imports") <(echo "$allowed"))
if [ -n "$unknown" ]; then
  echo "check-imports: $(basename "$exe") imports functions that Windows XP SP3 may not have:" >&2
  echo "$unknown" | sed 's/^/  /' >&2
  echo "check-imports: give each a fallback the loader never asks for (platform/core/XpCompat_win.cpp)," >&2
  echo "check-imports: or, once it is known to exist on Windows XP SP3, add it to $list" >&2
  exit 1
fi
