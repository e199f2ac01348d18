#!/usr/bin/env bash
# Runs the whole suite twice: a plain build, then a Debug build under AddressSanitizer and
# UndefinedBehaviorSanitizer. Headless throughout.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
jobs="$(nproc)"

echo "== plain build =="
cmake -S . -B build -DBUILD_TESTING=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest -j"$jobs" --output-on-failure)

echo "== sanitizer build =="
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-sanitize -DBUILD_TESTING=ON -DCMAKE_BUILD_TYPE=Debug -DORBITRA_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && ctest -j"$jobs" --output-on-failure)
