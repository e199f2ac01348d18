#!/usr/bin/env bash
# Builds the intro and runs it from the repository root, where res/ lives.
# Pass "f" for full screen.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh run
cmake --preset intro >/dev/null
cmake --build --preset intro --target orbitra -j"$(nproc)"
exec build-intro/orbitra "$@"
