#!/usr/bin/env bash
# The Linux desktop. Usage: platforms/linux/platform.sh test (the whole native suite, the
# README's test command), release OUT (the release build's Debian package into the release
# folder OUT), release-check OUT (that package installed in a fresh Debian system by
# package-check.sh, then lintian on it: no error and no warning)
set -euo pipefail
cd "$(dirname "$0")/../.." && arch=$(dpkg --print-architecture)
case "${1:-}" in
  test) exec tools/run-tests.sh ;;
  release)  # from the release build tools/release.sh makes
    rm -rf build-release/package
    (cd build-release && cpack -G DEB -B "$PWD/package") && cp build-release/package/orbitra_*_"$arch".deb "$2/" ;;
  release-check)
    platforms/linux/package-check.sh "$arch" "$2"/orbitra_*_"$arch".deb &&
      lintian --fail-on error,warning "$2"/orbitra_*_"$arch".deb ;;
  *) echo "usage: $0 test|release OUT|release-check OUT" >&2; exit 2 ;;
esac
