#!/bin/sh
# Writes a stored skin as a form keeps it: the package's size in four little-endian bytes,
# then the package. Usage: skinstream.sh PACKAGE OUT
set -e
n=$(stat -c %s "$1")
printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((n & 255)) $((n >> 8 & 255)) $((n >> 16 & 255)) $((n >> 24 & 255)))" > "$2"
cat "$1" >> "$2"
