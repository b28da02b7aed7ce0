#!/usr/bin/env bash
# Runs every test binary of a build once more, all of its tests in one process and in a shuffled
# order, so that a test that passes only alone or only after another fails here. The seed is fixed
# and printed; a failing binary's output is shown with the command that repeats the same order.
#
# With --scripts the build's other tests (the command-line tests, which are scripts) run too, each
# once, so that the run covers every test CTest knows: the optimised and sanitizer builds are tested
# this way, one process per binary in place of one per test.
#
#   scripts/test-shuffled.sh [--scripts] [BUILD_DIR]      (default: build/debug)
#   SEED   the order's seed (default 2028; 0 picks one from the clock, as the test framework does)
#   JOBS   binaries run at the same time (default: the number of processors)
#   LIMIT  seconds one binary may take before it counts as failed (default 900)
set -euo pipefail

scripts=false
if [[ ${1:-} == --scripts ]]; then
    scripts=true
    shift
fi
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

# One line per test binary (the tests the test framework lists) from the test list: a name, the
# command, its working directory, its environment as CTest gives them and its kind, separated by the
# unit separator (a tab is white space to read, which would fold an empty field away). A
# binary's command is the binary alone; a script's is its whole command line, quoted for the shell.
tests=$(ctest --test-dir "$build_dir" --show-only=json-v1)
unbuilt=$(jq -r '.tests[] | select(.name | endswith("_NOT_BUILT")) | .name' <<<"$tests")
if [[ -n $unbuilt ]]; then
    echo "not built: $unbuilt" >&2
    exit 1
fi
jq -r --argjson scripts "$scripts" '
    def property($name): (.properties // []) | map(select(.name == $name))[0].value;
    .tests[]
    | select(.command != null)
    | (.command | any(startswith("--gtest_filter="))) as $binary
    | select($binary or $scripts)
    | [(if $binary then .command[0] | split("/") | last else .name end),
       (if $binary then .command[0] | @sh else .command | map(@sh) | join(" ") end),
       (property("WORKING_DIRECTORY") // "."),
       (property("ENVIRONMENT") // [] | join(" ")),
       (if $binary then "binary" else "script" end)]
    | join("\u001f")' <<<"$tests" | sort -u >"$logs/tests"
if [[ ! -s $logs/tests ]]; then
    echo "no test binaries in $build_dir" >&2
    exit 1
fi

echo "Shuffled in one process, seed $seed: $(grep -c 'binary$' "$logs/tests") binaries" \
    "$(if $scripts; then echo "and $(grep -c 'script$' "$logs/tests") scripts"; fi)"

run_one() {
    local name=$1 command=$2 directory=$3 environment=$4 kind=$5
    local log=$logs/$name.log
    if [[ $kind == binary ]]; then
        command+=" --gtest_shuffle --gtest_random_seed=$seed --gtest_brief=1"
    fi
    # shellcheck disable=SC2086
    if (cd "$directory" && eval "timeout $limit env $environment $command") >"$log" 2>&1; then
        echo "passed $name"
    else
        echo "FAILED $name"
        {
            echo "FAILED $name"
            echo "  repeat: (cd $directory && env $environment $command)"
        } >>"$logs/failed"
    fi
}

running=0
while IFS=$'\x1f' read -r name command directory environment kind; do
    run_one "$name" "$command" "$directory" "$environment" "$kind" &
    running=$((running + 1))
    if ((running >= jobs)); then
        wait -n
        running=$((running - 1))
    fi
done <"$logs/tests"
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
