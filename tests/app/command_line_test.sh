#!/usr/bin/env bash
# The program as a newcomer meets it, through the README's run command (scripts/run.sh, with the
# program already built): the tour's log, help, arguments and errors, the end by SIGTERM and
# SIGINT, and a real home left untouched.
#
#   command_line_test.sh PROGRAM REPOSITORY
set -uo pipefail
program=$(realpath "$1")
root=$(realpath "$2")
failures=0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# Runs the README's command from $work/caller with a home of the test's own as the real one and
# the local time UTC. Output in $work/out and $work/err, status in $status.
real_home=$work/real-home
mkdir -p "$real_home/Library/Preferences" "$work/caller" "$work/tmp"
# A session's run-time directory, as the toolkit expects one; the tour makes its own without it.
mkdir -m 700 "$work/runtime"
echo "the user's own" >"$real_home/Library/Preferences/io.zoral.Zoral.plist"
run() {
  local runtime=(XDG_RUNTIME_DIR="$work/runtime")
  (($# == 0)) && runtime=()
  (cd "$work/caller" && env -u XDG_DATA_HOME -u XDG_RUNTIME_DIR HOME="$real_home" \
    TMPDIR="$work/tmp" TZ=UTC "${runtime[@]}" ZORAL_PROGRAM="$program" \
    ZORAL_PICTURES="$work/pictures" \
    bash "$root/scripts/run.sh" "$@") >"$work/out" 2>"$work/err"
  status=$?
}
snapshot() { (cd "$real_home" && find . -printf '%p %s %T@\n' | sort); }
before=$(snapshot)

# The tour: a first launch without the permission, the core built when it is granted, gestures,
# a display unplugged and plugged in again, the dark appearance, the display shortcut, the quit.
run
[[ $status -eq 0 ]] || fail "the tour ended with $status: $(cat "$work/err")"
# The pictures of the tour's gestures, and the last line saying where they are.
pictures=$(ls "$work/pictures" 2>/dev/null | wc -l)
[[ $pictures -gt 0 && $(tail -n 1 "$work/out") == "pictures: $pictures written into $work/pictures" ]] ||
  fail "the tour's pictures: $pictures files, last line: $(tail -n 1 "$work/out")"
[[ $(head -c 4 "$work/pictures/gesture-001-ended.png" 2>/dev/null | tail -c 3) == PNG ]] ||
  fail "no picture of the first gesture's end"
grep -E '^(io\.|Zoral:|AXAccess:|CGEventTap: initialized|Action: |windows:|  [a-z-]+: |Screens: [^r]|Resnapping|Ignoring|System: |  [0-9.]+ the displays)' \
  "$work/out" >"$work/lines"
cat >"$work/expected" <<'LINES'
io.zoral.Zoral
Zoral: Build 0 -> 100
Zoral: Onboard Build 0 -> 100
AXAccess: false (09:00:00.00)
windows:
  notes: {"rect":[120.0,80.0,800.0,600.0]}
  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised
  start-page: {"rect":[300.0,200.0,1000.0,700.0]}
AXAccess: true (09:00:02.20)
CGEventTap: initialized
Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true
Action: snap(start: (0, 0), end: (1, 1), matrix: (1, 1)) true
Action: snap(start: (1, 0), end: (2, 1), matrix: (2, 2)) true
windows:
  notes: {"rect":[721.0,25.0,719.0,402.0]}
  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised
  start-page: {"rect":[300.0,200.0,1000.0,700.0]}
Action: minimize true
Action: unminimizeLast true
windows:
  notes: {"rect":[721.0,25.0,719.0,402.0]}
  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised
  start-page: {"rect":[300.0,200.0,1000.0,700.0]}
Screens: Config changed (09:00:07.01)
Screens: 1, Snapped: 1, Minimized: 0
Resnapping after 4.0s...
Screens: Config changed (09:00:12.01)
Screens: 2, Snapped: 1, Minimized: 0
Resnapping after 4.0s...
windows:
  notes: {"rect":[721.0,25.0,719.0,402.0]}
  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised
  start-page: {"rect":[300.0,200.0,1000.0,700.0]}
System: Appearance changed to dark (09:00:17.01)
  18.114 the displays went to sleep
  18.314 the displays woke
Zoral: Exiting...
windows:
  notes: {"rect":[120.0,80.0,800.0,600.0]}
  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised
  start-page: {"rect":[300.0,200.0,1000.0,700.0]}
LINES
diff -u "$work/expected" "$work/lines" >&2 || fail "the tour printed other lines"
# The menu-bar item: the error icon without the permission, the icon with it, and its menu opened
# by a click and closed by the next.
grep -E '^  (Item-0: |open menu:)' "$work/out" >"$work/items"
cat >"$work/expected-items" <<'LINES'
  Item-0: visible at {"rect":[1405.0,0.0,25.0,25.0]} image MenuBarIconError
  Item-0: visible at {"rect":[1405.0,0.0,25.0,25.0]} image MenuBarIcon
  open menu:
  Item-0: visible at {"rect":[1405.0,0.0,25.0,25.0]} image MenuBarIcon
LINES
diff -u "$work/expected-items" "$work/items" >&2 || fail "the tour showed another menu-bar item"
# After the exit line only the run's own: the windows and where the pictures went.
[[ $(tail -n 6 "$work/out" | head -n 1) == "Zoral: Exiting..." ]] ||
  fail "the program spoke after its exit: $(tail -n 6 "$work/out")"

# Help is help; unknown options and extra files are usage errors.
run --help
[[ $status -eq 0 && $(head -n 1 "$work/out") == usage:* ]] || fail "--help: $status"
run --world default.json
[[ $status -eq 2 ]] && grep -q "unknown option --world" "$work/err" || fail "unknown option: $status"
run a.json b.json
[[ $status -eq 2 ]] || fail "two worlds: $status"
run --script
[[ $status -eq 2 ]] || fail "--script without a file: $status"

# Faults name the file, the step and what is wrong, before or after the program started.
expect_error() {
  local expected=$1
  shift
  run "$@"
  [[ $status -eq 1 ]] && grep -qF -- "$expected" "$work/err" ||
    fail "$* gave $status: $(cat "$work/err") (expected: $expected)"
}
expect_error "missing.json: no such file" missing.json --virtual-clock
echo '{"processes": [{"pid": 5, "hiden": true}]}' >"$work/caller/typo.json"
expect_error "typo.json: processes[0].hiden: unknown key" typo.json --virtual-clock
echo '[{"plugDisplay": {"number": 1, "uuid": "X", "frame": [0, 0, 10, 10]}}]' \
  >"$work/caller/plug.json"
expect_error "plug.json: step 1: plugDisplay.number: another display has the number" \
  --script plug.json --virtual-clock
echo '[{"quit": {}}, {"quit": {}}]' >"$work/caller/quit.json"
expect_error "quit.json: step 2: quit: the program is not running" --script quit.json --virtual-clock
echo '[{"launch": {}}, {"launch": {}}]' >"$work/caller/launch.json"
expect_error "launch.json: step 2: launch: the program was launched already" \
  --script launch.json --virtual-clock

# SIGTERM and SIGINT on the machine's clock end the program through its own termination, and
# then by the signal. The program is told once its start-up has run.
for signal in TERM INT; do
  fifo=$work/fifo-$signal
  mkfifo "$fifo"
  (cd "$work/caller" && exec env HOME="$real_home" XDG_DATA_HOME="$work/data" \
    XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp" "$program") >"$fifo" 2>"$work/err" &
  pid=$!
  exec {reader}<"$fifo"
  : >"$work/out"
  while IFS= read -r line <&$reader; do
    echo "$line" >>"$work/out"
    [[ $line == "CGEventTap: initialized" ]] && break
  done
  kill -s "$signal" "$pid"
  cat <&$reader >>"$work/out"
  exec {reader}<&-
  wait "$pid"
  status=$?
  expected_status=$((128 + $(kill -l "$signal")))
  [[ $status -eq $expected_status ]] || fail "SIG$signal: status $status, not $expected_status"
  grep -qx "CGEventTap: invalidated" "$work/out" && grep -qx "Zoral: Exiting..." "$work/out" ||
    fail "SIG$signal did not terminate the program: $(cat "$work/out" "$work/err")"
done
# The second start is no first launch: the settings were saved on the way out.
grep -qx "Zoral: Build 100 -> 100" "$work/out" || fail "the settings were not kept: $(cat "$work/out")"

# Nothing of all this reached the real home, nor was left in the temporary directory.
[[ $(snapshot) == "$before" ]] || fail "the real home changed: $(snapshot)"
[[ -z $(ls -A "$work/tmp") ]] || fail "left behind: $(ls -A "$work/tmp")"

exit $((failures > 0))
