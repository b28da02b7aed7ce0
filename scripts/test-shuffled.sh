#!/usr/bin/env bash
# Runs every test binary of a build once more, all of its tests in one process and in a shuffled
# order, so that a test that passes only alone or only after another fails here. The seed is fixed
# and printed; a failing binary's output is shown with the command that repeats the same order.
#
#   scripts/test-shuffled.sh [BUILD_DIR]      (default: build/debug)
#   SEED   the order's seed (default 2028; 0 picks one from the clock, as the test framework does)
#   JOBS   binaries run at the same time (default: the number of processors)
#   LIMIT  seconds one binary may take before it counts as failed (default 900)
set -euo pipefail

build_dir=${1:-build/debug}
seed=${SEED:-2028}
jobs=${JOBS:-$(nproc)}
limit=${LIMIT:-900}
if [[ ! -d $build_dir ]]; then
    echo "no build directory $build_dir" >&2
    exit 2
fi
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# One line per test binary (the tests the test framework lists; not scripts) from the test list:
# the binary, its working directory and its environment as CTest gives them, separated by tabs.
tests=$(ctest --test-dir "$build_dir" --show-only=json-v1)
unbuilt=$(jq -r '.tests[] | select(.name | endswith("_NOT_BUILT")) | .name' <<<"$tests")
if [[ -n $unbuilt ]]; then
    echo "not built: $unbuilt" >&2
    exit 1
fi
jq -r '.tests[]
    | select(.command != null and (.command | any(startswith("--gtest_filter="))))
    | [.command[0],
       ((.properties // []) | map(select(.name == "WORKING_DIRECTORY"))[0].value // "."),
       ((.properties // []) | map(select(.name == "ENVIRONMENT"))[0].value // [] | join(" "))]
    | @tsv' <<<"$tests" | sort -u >"$logs/binaries"
if [[ ! -s $logs/binaries ]]; then
    echo "no test binaries in $build_dir" >&2
    exit 1
fi

echo "Shuffled in one process, seed $seed: $(wc -l <"$logs/binaries") binaries"

run_one() {
    local binary=$1 directory=$2 environment=$3
    local name log
    name=$(basename "$binary")
    log=$logs/$name.log
    # shellcheck disable=SC2086
    if (cd "$directory" && timeout "$limit" env $environment "$binary" --gtest_shuffle \
        --gtest_random_seed="$seed" --gtest_brief=1) >"$log" 2>&1; then
        echo "passed $name"
    else
        echo "FAILED $name"
        {
            echo "FAILED $name"
            echo "  repeat: (cd $directory && env $environment $binary --gtest_shuffle" \
                "--gtest_random_seed=$seed)"
        } >>"$logs/failed"
    fi
}

running=0
while IFS=$'\t' read -r binary directory environment; do
    run_one "$binary" "$directory" "$environment" &
    running=$((running + 1))
    if ((running >= jobs)); then
        wait -n
        running=$((running - 1))
    fi
done <"$logs/binaries"
wait

if [[ -s $logs/failed ]]; then
    for log in "$logs"/*.log; do
        name=$(basename "$log" .log)
        if grep -q "^FAILED $name\$" "$logs/failed"; then
            echo "----- $name"
            tail -n 60 "$log"
        fi
    done
    echo "-----"
    cat "$logs/failed"
    exit 1
fi
echo "All passed in shuffled order (seed $seed)."
