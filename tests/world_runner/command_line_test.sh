#!/usr/bin/env bash
# The world runner as a newcomer meets it: its output, help, arguments, paths and errors, and a
# real home left untouched.
#
#   command_line_test.sh RUNNER REPOSITORY
set -uo pipefail
runner=$(realpath "$1")
root=$(realpath "$2")
failures=0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# Runs the runner from $work/caller with a home of the test's own as the real one:
# HOME points there and no XDG_DATA_HOME is set. Output in $work/out and $work/err, status in
# $status.
real_home=$work/real-home
mkdir -p "$real_home/Library/Preferences" "$work/caller"
echo "the user's own" >"$real_home/Library/Preferences/io.zoral.Zoral.plist"
run() {
  (cd "$work/caller" && env -u XDG_DATA_HOME HOME="$real_home" TMPDIR="$work/tmp" \
    "$runner" "$@") >"$work/out" 2>"$work/err"
  status=$?
}
mkdir -p "$work/tmp"
snapshot() { (cd "$real_home" && find . -printf '%p %s %T@\n' | sort); }
before=$(snapshot)

# The default world and its tour of gestures: the windows before, the engine's log with an action
# for each gesture, the windows after, then the world as JSON.
run "$root/tests/fixtures/worlds/default.json" "$root/tests/fixtures/scripts/gestures.json"
[[ $status -eq 0 ]] || fail "the gesture tour ended with $status: $(cat "$work/err")"
grep -E '^(windows:|  [a-z-]+: |engine: |enable: |Action: |hardware: )' "$work/out" >"$work/lines"
cat >"$work/expected" <<'LINES'
windows:
  notes: {"rect":[120.0,80.0,800.0,600.0]}
  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised
  start-page: {"rect":[300.0,200.0,1000.0,700.0]}
engine: attached
enable: 1 kinds of action
Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true
hardware: 2 steps
Action: snap(start: (0, 0), end: (1, 1), matrix: (1, 1)) true
Action: snap(start: (1, 0), end: (2, 1), matrix: (2, 2)) true
hardware: 2 steps
Action: minimize false
Action: snap(start: (0, 1), end: (1, 2), matrix: (2, 2)) true
hardware: 2 steps
windows:
  notes: {"rect":[721.0,25.0,719.0,402.0]}
  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised
  start-page: {"rect":[0.0,428.0,720.0,401.0]}
Action: minimize true
hardware: 2 steps
Action: unminimizeLast true
hardware: 2 steps
Action: cmdTab(left) true
hardware: 2 steps
windows:
  start-page: {"rect":[0.0,428.0,720.0,401.0]}
  notes: {"rect":[721.0,25.0,719.0,402.0]}
  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised
engine: detached
LINES
diff -u "$work/expected" "$work/lines" >&2 || fail "the gesture tour printed other lines"
[[ $(sed -n '/^{$/,$p' "$work/out" | head -c 1) == "{" ]] || fail "no world after the gesture tour"

# The accessibility tour: the lines of the steps, then the world as JSON, and nothing else.
run "$root/tests/fixtures/worlds/default.json" "$root/tests/fixtures/scripts/tour.json"
[[ $status -eq 0 ]] || fail "the tour ended with $status: $(cat "$work/err")"
head -n 8 "$work/out" >"$work/lines"
cat >"$work/expected" <<'LINES'
read AXTitle: "Notes"
hitTest: notes-close
set AXPosition: ok
set AXTitle: error AttributeUnsupported
read AXFrame: {"rect":[0.0,25.0,800.0,600.0]}
perform AXPress: ok
read AXTitle: error InvalidUIElement
read AXTitle: error CannotComplete
LINES
diff -u "$work/expected" "$work/lines" >&2 || fail "the tour printed other lines"
tail -n +9 "$work/out" >"$work/world.json"
[[ $(head -c 1 "$work/world.json") == "{" ]] || fail "the world does not follow the lines"
# The world printed after the tour loads again.
run "$work/world.json"
[[ $status -eq 0 ]] || fail "the printed world does not load: $(cat "$work/err")"

# Relative paths are read from the caller's directory.
cp "$root/tests/fixtures/worlds/default.json" "$work/caller/mine.json"
echo '[{"read": {"element": "start-page", "attribute": "AXTitle"}}]' >"$work/caller/steps.json"
run mine.json steps.json
[[ $status -eq 0 && $(head -n 1 "$work/out") == 'read AXTitle: "Start Page"' ]] ||
  fail "relative paths: $status $(head -n 1 "$work/out") $(cat "$work/err")"

# Help is help, not a file name; unknown options and wrong counts are usage errors.
run --help
[[ $status -eq 0 && $(head -n 1 "$work/out") == usage:* ]] || fail "--help: $status"
run --world default.json
[[ $status -eq 2 ]] && grep -q "unknown option --world" "$work/err" || fail "unknown option: $status"
run a.json b.json c.json
[[ $status -eq 2 ]] || fail "three files: $status"
run
[[ $status -eq 2 ]] || fail "no file: $status"

# Faults name the file and what is wrong with it.
expect_error() {
  local expected=$1
  shift
  run "$@"
  [[ $status -eq 1 ]] && grep -qF -- "$expected" "$work/err" ||
    fail "$* gave $status: $(cat "$work/err") (expected: $expected)"
  [[ ! -s $work/out ]] || fail "$* printed on standard output"
}
expect_error "$work/caller: is a directory, not a file" "$work/caller"
expect_error "missing.json: no such file" missing.json
echo '{"processes": [{"pid": 5, "hiden": true}]}' >"$work/caller/typo.json"
expect_error "typo.json: processes[0].hiden: unknown key" typo.json
echo '{"processes": [{"pid": 5, "children": [{"role": "AXWindow", "attributes": {"AXPosition": 5}}]}]}' \
  >"$work/caller/position.json"
expect_error "position.json: processes[0].children[0].attributes.AXPosition: a window's position is a point" \
  position.json
# Only regular files are read: a pipe with no writer and a device are refused at once.
mkfifo "$work/caller/pipe.json"
expect_error "pipe.json: is a named pipe, not a file" pipe.json
expect_error "/dev/zero: is a device, not a file" /dev/zero
expect_error "/dev/zero: is a device, not a file" "$root/tests/fixtures/worlds/default.json" /dev/zero
echo '{}' >"$work/caller/empty.json"
expect_error 'steps.json: step 1: read.element: no element is named "start-page"' empty.json steps.json

# Pictures of the desktop: one when a gesture proposes an action and one when it has ended, as PNG
# files named by gesture and phase; a folder that cannot be made is said once and the run goes on.
(cd "$work/caller" && TMPDIR="$work/tmp" "$runner" --pictures shots \
  "$root/tests/fixtures/worlds/default.json" "$root/tests/fixtures/scripts/gestures.json") \
  >"$work/out" 2>"$work/err"
status=$?
[[ $status -eq 0 ]] || fail "--pictures ended with $status: $(cat "$work/err")"
for name in gesture-001-proposed gesture-001-ended gesture-006-ended; do
  [[ $(head -c 4 "$work/caller/shots/$name.png" 2>/dev/null | tail -c 3) == PNG ]] ||
    fail "--pictures: no $name.png ($(ls "$work/caller/shots" 2>&1 | tr '\n' ' '))"
done
count=$(ls "$work/caller/shots" | wc -l)
grep -qx "pictures: $count written into $work/caller/shots" "$work/out" ||
  fail "--pictures: $count files, but said: $(grep '^pictures' "$work/out")"
touch "$work/caller/not-a-folder"
(cd "$work/caller" && TMPDIR="$work/tmp" "$runner" --pictures not-a-folder/shots \
  "$root/tests/fixtures/worlds/default.json" "$root/tests/fixtures/scripts/gestures.json") \
  >"$work/out" 2>"$work/err"
status=$?
[[ $status -eq 0 && $(grep -c '^pictures: cannot' "$work/out") -eq 1 ]] ||
  fail "--pictures into a file: $status, $(grep '^pictures' "$work/out")"
"$runner" --pictures >/dev/null 2>"$work/err"
[[ $? -eq 2 ]] && grep -q "needs a folder" "$work/err" || fail "--pictures without a folder"

# The temporary homes of a run that was killed go with the next run.
true &
ended=$!
wait $ended
mkdir -p "$work/tmp/zoral-run-$ended-Ab12Cd/home-Ef34Gh/Library/Preferences"
run "$root/tests/fixtures/worlds/default.json"
[[ $status -eq 0 ]] || fail "a run after a killed one: $status $(cat "$work/err")"

# Nothing of all this reached the real home, nor was left in the temporary directory.
[[ $(snapshot) == "$before" ]] || fail "the real home changed: $(snapshot)"
[[ -z $(ls -A "$work/tmp") ]] || fail "left behind: $(ls -A "$work/tmp")"

exit $((failures > 0))
