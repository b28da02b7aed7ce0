#!/usr/bin/env bash
# Runs the soak (apps/zoral-soak): random gestures on simulated worlds with faults injected, the
# invariants checked after every gesture. Uses the optimised build when there is one, else the
# debug build (SOAK_BUILD names another); builds the soak in it first.
#
#   scripts/soak.sh --ci                 a fixed run for CI: fails on any violation and keeps the
#                                        replay of the first in BUILD/soak-replay.json
#   scripts/soak.sh [zoral-soak options] any run, e.g. --seed 7 --gestures 100000
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${SOAK_BUILD:+$(cd "$SOAK_BUILD" && pwd)}
for candidate in "$root/build/release" "$root/build/debug"; do
    [[ -z $build ]] || break
    if [[ -f $candidate/build.ninja ]]; then
        build=$candidate
        break
    fi
done
if [[ -z $build ]]; then
    echo "soak.sh: no build in build/release or build/debug; configure one first" >&2
    exit 2
fi
cmake --build "$build" --target zoral-soak >/dev/null
soak=$build/apps/zoral-soak/zoral-soak

if [[ ${1:-} == --ci ]]; then
    shift
    # A fixed count and a fixed seed: the same run every time (one thread runs it).
    exec "$soak" --seed 1 --gestures 20000 --quiet \
        --replay-out "$build/soak-replay.json" "$@"
fi
exec "$soak" "$@"
