#!/usr/bin/env bash
# Fails when a folder includes a header of a folder above it. The class library comes first,
# then the skin engine's folders bottom-up; each may include only those before it (and
# itself). The build's libraries are linked in the same order, so a call that goes upwards
# also fails to link (the layer_* programs of the Windows builds).
# Usage: check-layers.sh SOURCE-DIR
set -euo pipefail
cd "$1"
order=(platform skin/package skin/draw skin/data skin/controls skin/form skin/manager)
status=0
for i in "${!order[@]}"; do
  here=${order[$i]}
  [ -d "$here" ] || continue
  above=("${order[@]:$((i + 1))}")
  [ ${#above[@]} -gt 0 ] || continue
  pattern=$(printf '%s/|' "${above[@]}")
  # platform/ may include nothing of the engine.
  [ "$here" = platform ] && pattern='skin/|'
  if hits=$(grep -rnE "^#include \"(${pattern%|})" "$here" --include='*.h' --include='*.cpp'); then
    echo "check-layers: $here includes a layer above it:" >&2
    echo "$hits" | sed 's/^/  /' >&2
    status=1
  fi
done
exit $status
