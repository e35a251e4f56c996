#!/usr/bin/env bash
# The main job. Sets up a fresh machine, builds everything and runs the
# key-exchange self-check: the console's initiating role against the
# answering role over loopback.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
./build/bin/ostiva-selfcheck
