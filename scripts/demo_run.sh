#!/usr/bin/env bash
# The main job on the demo database, after a build: a fresh copy of the build's demo in the user's
# data folder (the build's own file stays as it was built; the tests copy their own fixture), its
# overview, then the workbench window on the copy or, without a display, a batch calculation of
# every plot whose message list also goes to trb_report.txt beside the copy.
# Usage: scripts/demo_run.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
data="${XDG_DATA_HOME:-$HOME/.local/share}/trb"
mkdir -p "$data"
demo="$data/trb_demo.sqlite"
# the copy of an earlier run stays beside the fresh one
if [ -f "$demo" ]; then mv -f "$demo" "$demo.previous"; fi
cp "$build/demo/trb_demo.sqlite" "$demo"
echo "demo database: $demo"
"$build/src/cli/trbdb" sql "$demo" "$root/data/examples/overview.sql"
cd "$data"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/src/gui/trb" "DB=$demo"
fi
exec "$build/src/cli/trbsim" "DB=$demo" go --select-all
