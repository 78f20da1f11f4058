#!/usr/bin/env bash
# Installs what is missing, builds trb and shows it at work on a copy of the bundled demo database
# in the user's data folder (scripts/demo_run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
exec bash scripts/demo_run.sh build
