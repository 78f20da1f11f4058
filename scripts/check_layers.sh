#!/usr/bin/env bash
# Checks the layers by their include lines: nothing below the windows includes a window header
# (gui/), and the core includes no report rendering (render/) either. Prints every offending line.
# With a folder as argument it checks that tree instead of the repository's src/.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"
cd "$src"
status=0
check() {  # check PATTERN FOLDER...
  local pattern="$1"
  shift
  local found
  found=$(grep -rnE --include='*.cpp' --include='*.h' "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]$pattern" "$@" 2>/dev/null || true)
  if [ -n "$found" ]; then
    echo "$found"
    status=1
  fi
}
for room in core cli render; do [ -d "$room" ] || { echo "check_layers: no folder $src/$room"; exit 1; }; done
check 'gui/' core cli render
check 'render/' core
if [ "$status" -ne 0 ]; then
  echo "check_layers: the lines above reach into a higher layer (core < render < cli, gui)"
  exit 1
fi
echo "check_layers: core, render and cli include no window header"
