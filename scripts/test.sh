#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
#   BUILD_DIR     build directory (default: build/debug)
#   CMAKE_ARGS    extra arguments for cmake's configure step
#   IN_PROCESS    when 1, each test binary runs all of its tests in one process, shuffled
#                 (scripts/test-shuffled.sh --scripts), in place of CTest's process per test
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build_dir=${BUILD_DIR:-build/debug}
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir"
if [[ ${IN_PROCESS:-0} == 1 ]]; then
  bash scripts/test-shuffled.sh --scripts "$build_dir"
else
  ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 300
fi

# The screenshot tests once more under a real X server, when Debian's Xvfb is installed: they then
# also write the screen as the server shows it (<name>-x11.png beside the offscreen ones).
if command -v xvfb-run >/dev/null; then
  for run in "ui ui_tests Gallery*" "preferences preferences_tests PreferencesScreenshots*"; do
    read -r folder binary filter <<<"$run"
    (cd "$build_dir/tests/$folder" &&
      xvfb-run -a -s "-screen 0 1440x900x24" env QT_QPA_PLATFORM=xcb \
        "./$binary" --gtest_filter="$filter" --gtest_brief=1)
  done
fi
