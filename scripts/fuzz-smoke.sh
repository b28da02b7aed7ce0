#!/usr/bin/env bash
# Builds the fuzz targets with clang in BUILD_DIR and runs each one for SECONDS
# (default 20) on a copy of its seed corpus in tests/fixtures/fuzz/<name>/,
# FUZZ_JOBS (default 2) targets at a time. Fails when a target crashes, leaks,
# hangs, meets undefined behaviour or cannot be built; crash inputs are kept in
# BUILD_DIR/fuzz-artifacts/. A BUILD_DIR configured before (the sanitizer build,
# say) keeps its settings and only gains the fuzz targets; a new one is configured
# with CMAKE_ARGS added.
#
#   scripts/fuzz-smoke.sh BUILD_DIR [SECONDS]
set -euo pipefail

if [[ $# -lt 1 ]]; then
    echo "usage: $0 BUILD_DIR [SECONDS]" >&2
    exit 2
fi
build_dir=$1
seconds=${2:-20}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seeds_root=$root/tests/fixtures/fuzz

jobs=${FUZZ_JOBS:-2}
if [[ -f $build_dir/CMakeCache.txt ]]; then
    cmake -S "$root" -B "$build_dir" -DZORAL_FUZZ=ON >/dev/null
else
    # Optimised, with line tables for the stacks of a crash.
    # shellcheck disable=SC2086
    CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" \
        -DZORAL_FUZZ=ON -DZORAL_BUILD_BENCHMARKS=OFF ${CMAKE_ARGS:-} >/dev/null
fi

# Every fuzz target has a seed directory named after it.
targets=()
for seeds in "$seeds_root"/*/; do
    targets+=("$(basename "$seeds")")
done
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "no seed corpora in $seeds_root" >&2
    exit 1
fi
cmake --build "$build_dir" --target "${targets[@]}"

artifacts=$build_dir/fuzz-artifacts
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# run NAME: fuzzes one target; its output and outcome go to files named after it.
run() {
    local name=$1
    local corpus=$work/$name
    cp -r "$seeds_root/$name" "$corpus"
    local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                   -artifact_prefix="$artifacts/$name-")
    if [[ -f $root/fuzz/$name.dict ]]; then
        options+=(-dict="$root/fuzz/$name.dict")
    fi
    if "$build_dir/fuzz/$name" "${options[@]}" "$corpus" >"$work/$name.log" 2>&1; then
        echo ok >"$work/$name.status"
    else
        echo failed >"$work/$name.status"
    fi
}

running=0
for name in "${targets[@]}"; do
    if ((running == jobs)); then
        wait -n || true
        running=$((running - 1))
    fi
    run "$name" &
    running=$((running + 1))
done
wait

status=0
for name in "${targets[@]}"; do
    echo "== $name: ${seconds}s"
    if [[ $(cat "$work/$name.status" 2>/dev/null) != ok ]]; then
        tail -n 60 "$work/$name.log"
        echo "== $name FAILED (inputs in $artifacts)" >&2
        status=1
    else
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/$name.log" || true
    fi
done
exit $status
