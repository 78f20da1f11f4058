#!/usr/bin/env bash
# Installs what is missing, builds trb and shows it at work on the bundled demo database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
demo=build/demo/trb_demo.sqlite
echo "demo database: $demo"
build/src/cli/trbdb sql "$demo" data/examples/overview.sql
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  # The workbench window on the demo database.
  cd build/demo && exec ../src/gui/trb "DB=$PWD/trb_demo.sqlite"
fi
# Without a display: a batch calculation of every demo plot; the message list also goes to
# build/demo/trb_report.txt.
(cd build/demo && ../src/cli/trbsim DB=trb_demo.sqlite go --select-all)
