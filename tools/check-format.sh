#!/usr/bin/env bash
# Fails when any C++ file of the project differs from what clang-format makes of it
# (.clang-format at the root). Fix with: clang-format -i <file>
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
clang-format --dry-run -Werror "${files[@]}"
echo "format: ${#files[@]} files as clang-format wants them"
