#!/usr/bin/env bash
# Runs the whole suite twice, headless: a plain build, then a Debug build under
# AddressSanitizer and UndefinedBehaviorSanitizer; warnings are errors in both, and the code
# must be formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test

jobs="$(nproc)"
tools/check-format.sh

for preset in plain sanitize; do
  echo "== $preset build =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  ctest --preset "$preset" -j"$jobs"
done
