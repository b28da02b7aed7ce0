#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it.
#
# Without arguments, the program runs on the default world of the simulated desktop
# (tests/fixtures/worlds/default.json) with a tour of what a user does with it
# (tests/fixtures/scripts/program-tour.json), on the virtual clock: it starts without the
# Accessibility permission, which the user grants a moment later; a few gestures snap, minimise and
# restore windows; a display is unplugged and plugged in again (the snapped windows are put back
# after the time-out); the appearance turns dark; the display shortcut is recorded and pressed;
# the program quits. It prints the program's log with the steps' own lines, and the windows' frames
# before, between and after. The run is a first launch: its settings live in a home made for it and
# removed after it. Pictures of the simulated displays, taken when a gesture proposes an action and
# when it has ended, go into build/pictures (ZORAL_PICTURES names another folder); the last line
# says where.
#
# Arguments go to the program as they are (`bash scripts/run.sh --help` says which); relative paths
# are read from the directory the command is given in. Standard output carries only what the program
# prints: the set-up's lines go to standard error. ZORAL_PROGRAM names a program that is already
# built (the tests' own), and skips the set-up.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

program=${ZORAL_PROGRAM:-}
if [[ -z $program ]]; then
  {
    bash "$root/scripts/install-deps.sh"
    cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DZORAL_BUILD_TESTS=OFF -DZORAL_BUILD_BENCHMARKS=OFF
    cmake --build "$root/build/release" --target zoral
  } >&2
  program=$root/build/release/apps/zoral/zoral
fi
if (($# == 0)); then
  pictures=${ZORAL_PICTURES:-$root/build/pictures}
  rm -rf "$pictures"
  set -- "$root/tests/fixtures/worlds/default.json" \
    --script "$root/tests/fixtures/scripts/program-tour.json" --virtual-clock \
    --pictures "$pictures"
  data=$(mktemp -d)
  trap 'rm -rf "$data"' EXIT
  # The toolkit keeps files at run time; without a place of the user's for them, they go with
  # the run's home.
  if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    export XDG_RUNTIME_DIR=$data/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
  fi
  XDG_DATA_HOME=$data "$program" "$@"
  exit
fi
exec "$program" "$@"
