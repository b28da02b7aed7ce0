#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORAL_BUILD_TESTS=OFF \
  -DZORAL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/release --target zoral-world
# Until the application shell exists, the program's desktop is shown through the
# world runner: it loads a simulated world, runs a script against it and prints
# the log and the resulting world. Arguments replace the default world and script.
if (($# == 0)); then
  set -- tests/fixtures/worlds/default.json tests/fixtures/scripts/tour.json
fi
exec build/release/apps/zoral-world/zoral-world "$@"
