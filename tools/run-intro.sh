#!/usr/bin/env bash
# Builds the intro and runs it from the repository root, where res/ lives.
# Pass "f" for full screen.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh run
cmake -S . -B build -DBUILD_TESTING=OFF >/dev/null
cmake --build build --target orbitra -j"$(nproc)"
exec build/orbitra "$@"
