#!/usr/bin/env bash
# Runs the whole suite, headless: the format check; a plain build, tested on the SDL 1.2
# compatibility library and again on the classic library, and its Debian package checked by
# lintian; then a Debug build under AddressSanitizer and UndefinedBehaviorSanitizer. Warnings
# are errors throughout.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test

jobs="$(nproc)"
tools/check-format.sh
classic="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)"

for preset in plain sanitize; do
  echo "== $preset build =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  dir=build
  [ "$preset" = sanitize ] && dir=build-sanitize
  sdl=$(ldd "$dir/orbitra" | grep -o '/[^ ]*libSDL-1.2.so.0' || true)
  echo "== $preset tests on $sdl =="
  case "$sdl" in */sdl12-compat/*) ;; *) echo "the compatibility library is not in use" >&2; exit 1 ;; esac
  ctest --preset "$preset" -j"$jobs"
  if [ "$preset" = plain ]; then
    echo "== plain tests on the classic library ($classic) =="
    LD_LIBRARY_PATH="$classic" ctest --preset plain -j"$jobs"
    echo "== lintian on the Debian package =="
    rm -rf build/package
    (cd build && cpack -G DEB -B package >/dev/null)
    lintian --fail-on error,warning build/package/orbitra_*.deb
  fi
done
