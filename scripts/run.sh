#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it.
#
# Until the application shell exists, the program is shown through the world runner: it loads a
# simulated world, attaches the gesture engine, plays a tour of gestures through the simulated
# event tap, and prints the engine's log, the windows' frames before and after, and the resulting
# world. Arguments replace the default world and script; relative paths are read from the directory the
# command is given in. Standard output carries only what the runner prints: the set-up's lines go
# to standard error. ZORAL_WORLD_RUNNER names a runner that is already built (the tests' own), and
# skips the set-up.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

runner=${ZORAL_WORLD_RUNNER:-}
if [[ -z $runner ]]; then
  {
    bash "$root/scripts/install-deps.sh"
    cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DZORAL_BUILD_TESTS=OFF -DZORAL_BUILD_BENCHMARKS=OFF
    cmake --build "$root/build/release" --target zoral-world
  } >&2
  runner=$root/build/release/apps/zoral-world/zoral-world
fi
if (($# == 0)); then
  set -- "$root/tests/fixtures/worlds/default.json" "$root/tests/fixtures/scripts/gestures.json"
fi
exec "$runner" "$@"
