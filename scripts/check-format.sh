#!/usr/bin/env bash
# Fails when a C++ file differs from the repository's .clang-format style.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.h' '*.cpp' | xargs -0 -r clang-format --dry-run --Werror
echo "Formatting: ok"
