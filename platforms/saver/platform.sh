#!/usr/bin/env bash
# The intro as a screen saver. Usage: platforms/saver/platform.sh VERB
#   build        builds build-saver/orbitra-saver, the XScreenSaver hack on the system's libraries
#   test         builds both, then checks the hack on a virtual display (check.sh): run by
#                XScreenSaver, in windows it is given, their sizes followed, SIGTERM; and the .scr
#                under Wine (wine.sh): /s, /p, /c
#   bench        the share of one processor the hack takes on a virtual display over 60 s
#   scr          builds build-saver-windows/orbitra.scr, the Windows screen saver, on the pinned
#                libraries of the Windows build (built into the same cache, platforms/lib/libraries.sh)
#   release OUT  its Debian package into the release folder OUT; release-check OUT: lintian
#                on that package, then it and OUT's orbitra package installed in a fresh Debian
#                system, the hack shown there by XScreenSaver, and purged (package-check.sh)
set -euo pipefail
cd "$(dirname "$0")/../.."
here=platforms/saver
build_dir=$PWD/build-saver
# shellcheck source=../lib/packages.sh
for lib in packages native libraries; do . "platforms/lib/$lib.sh"; done

build_hack() {
  tools/install-deps.sh run
  need_packages libx11-dev
  mkdir -p "$build_dir"
  if ! { [ -f "$build_dir/CMakeCache.txt" ] || cmake --preset saver; } >"$build_dir/build.log" 2>&1 ||
    ! cmake --build --preset saver -j2 --target orbitra-saver orbitra_saver_changelog >>"$build_dir/build.log" 2>&1; then
    tail -n 30 "$build_dir/build.log" >&2
    exit 1
  fi
}

build_scr() {
  need_packages g++-mingw-w64-x86-64-posix cmake make dpkg-dev
  local cache
  cache=$(cache_folder windows "${ORBITRA_WINDOWS_CACHE:-}")
  build_libraries windows "$cache" x86_64-w64-mingw32-gcc-posix cmake \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/platforms/windows/toolchain.cmake"
  mkdir -p "$PWD/build-saver-windows"
  if ! cmake --preset saver-windows -DORBITRA_LIBS_PREFIX="$libs" >"$PWD/build-saver-windows/build.log" 2>&1 ||
    ! cmake --build --preset saver-windows -j2 --target orbitra-saver orbitra-saver-held previewWindow \
      >>"$PWD/build-saver-windows/build.log" 2>&1; then
    tail -n 30 "$PWD/build-saver-windows/build.log" >&2
    exit 1
  fi
}

make_package() {
  build_hack
  need_packages dpkg-dev
  rm -rf "$build_dir/package"
  (cd "$build_dir" && cpack -G DEB -B "$build_dir/package" >/dev/null)
  package=$(echo "$build_dir"/package/orbitra-saver_*_"$(dpkg --print-architecture)".deb)
}

case "${1:-}" in
  build) build_hack ;;
  scr) build_scr ;;
  test | bench)
    build_hack
    need_packages xscreensaver xvfb x11-utils x11-xserver-utils xdotool imagemagick python3
    native=$(native_tool compareShot orbitra_probe)
    probe_dir=$(dirname "$native")/tests/probe
    $here/check.sh "$1" "$build_dir/orbitra-saver" "$native" "$probe_dir/compareShot" \
      "$probe_dir/orbitra_probe.so"
    if [ "$1" = test ]; then
      build_scr
      need_packages wine wine64 xauth openbox
      $here/wine.sh "$PWD/build-saver-windows" "$PWD" "$native" "$probe_dir/compareShot"
    fi ;;
  release) make_package && cp "$package" "$2/" ;;
  release-check)
    need_packages lintian
    deb=$(echo "$2"/orbitra-saver_*_"$(dpkg --print-architecture)".deb)
    lintian --fail-on error,warning "$deb"
    $here/package-check.sh "$2"/orbitra_*_"$(dpkg --print-architecture)".deb "$deb" ;;
  *) echo "usage: $0 build|scr|test|bench|release OUT|release-check OUT" >&2; exit 2 ;;
esac
