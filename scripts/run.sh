#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORAL_BUILD_TESTS=OFF \
  -DZORAL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/release --target zoral
exec build/release/apps/zoral/zoral "$@"
