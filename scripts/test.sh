#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
#   BUILD_DIR     build directory (default: build/debug)
#   CMAKE_ARGS    extra arguments for cmake's configure step
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build_dir=${BUILD_DIR:-build/debug}
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 300
