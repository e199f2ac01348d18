#!/usr/bin/env bash
# Builds the intro for an ARM Linux architecture with Debian's cross toolchain, runs the test
# suite under qemu-user and checks that the ARM build draws exactly the frames the x86-64 build
# draws, then makes the Debian package. Installs what it needs when missing (Debian packages,
# as root); run again, it installs nothing.
# Usage: platforms/arm/platform.sh test|release OUT|release-check OUT  arm64|armhf
#   release OUT               the test with ORBITRA_CROSS_CHROOT=yes, then the package copied
#                             into the release folder OUT; release-check OUT: lintian on it
#   ORBITRA_CROSS_CHROOT=yes  also installs the package in a Debian system of the architecture
#                             (platforms/linux/package-check.sh) and starts it there
#   ORBITRA_CROSS_BINFMT=no   runs the suite as on a machine where binfmt_misc is unavailable
set -uo pipefail
exec 1>&2
cd "$(dirname "$0")/../.." || exit 1
# shellcheck source=/dev/null
for lib in binfmt packages native; do . "platforms/lib/$lib.sh"; done
verb=${1:-} out="" arch=${2:-}
case $verb in release | release-check) out=${2:-} arch=${3:-} ;; esac
[ "$verb" != release ] || ORBITRA_CROSS_CHROOT=yes
[[ $verb =~ ^(test|release|release-check)$ ]] && arch_names "$arch" ||
  { echo "usage: $0 test|release OUT|release-check OUT arm64|armhf"; exit 2; }
[ "$verb" != release-check ] ||
  { need_packages lintian && exec lintian --fail-on error,warning "$out"/orbitra_*_"$arch".deb; exit 1; }
# The tests' ARM programs start through binfmt_misc for as long as the script runs.
binfmt_hold "$@"
# shellcheck source=../lib/steps.sh
. platforms/lib/steps.sh
build=$PWD/build-$arch
# The target's development packages of SDL 1.2 and the module player, unpacked, never installed.
devroot=$build/dev-root

lib_packages=(libsdl1.2debian libsdl-image1.2 libsdl-mixer1.2 libsdl-ttf2.0-0 libmikmod3)
dev_packages=(libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev
  libmikmod-dev)
target_packages=(libc6 libstdc++6 "${lib_packages[@]}" libpng-dev zlib1g-dev libgtest-dev)

# --- install: the cross toolchain, qemu and the target's run-time libraries -------------
install_packages() {
  tools/install-deps.sh test || return 1
  if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    [ "$(id -u)" -eq 0 ] || { echo "The $arch architecture is not enabled: run this script as root"; return 1; }
    dpkg --add-architecture "$arch" || return 1
  fi
  # Installing refreshes the package lists first, which a newly added architecture needs.
  need_packages qemu-user-static "crossbuild-essential-$arch" "${target_packages[@]/%/:$arch}" ||
    return 1
  # Unpacked again only when apt offers other versions than the ones unpacked. The run-time
  # packages are unpacked too: the -dev packages' library links point into them.
  local unpack=("${dev_packages[@]/%/:$arch}" "${lib_packages[@]/%/:$arch}") wanted deb
  wanted=$(apt-cache policy "${unpack[@]}" | awk '/^[^ ]/ { name = $1 } /Candidate:/ { print name, $2 }')
  [ "$(cat "$devroot/versions" 2>/dev/null)" = "$wanted" ] && return 0
  # pkg-config's answers are cached with the build: unpacked anew, configured anew.
  rm -rf "$devroot" "$build/CMakeCache.txt" && mkdir -p "$devroot/debs" &&
    (cd "$devroot/debs" && apt-get download -qq -o APT::Sandbox::User=root "${unpack[@]}") ||
    return 1
  for deb in "$devroot"/debs/*.deb; do dpkg -x "$deb" "$devroot" || return 1; done
  [ -f "$devroot/usr/lib/$triplet/pkgconfig/sdl.pc" ] && echo "$wanted" >"$devroot/versions"
}
step install install_packages || { steps_summary; exit; }

# binfmt_misc lets programs started by the tests (death tests, the program as a child, the
# script tests) run as ARM programs.
selection=() isolation=() tests_note="binfmt_misc registered" why="ORBITRA_CROSS_BINFMT=no"
if [ "${ORBITRA_CROSS_BINFMT:-yes}" = no ] || ! why=$(binfmt_qemu "$arch" 2>&1); then
  # Without binfmt_misc an ARM program runs only when qemu starts it, so the tests labelled as
  # starting one themselves are left out. Where the kernel allows, the rest run with an empty
  # binfmt_misc of their own, so that an unlabelled one fails here even when this machine has
  # qemu registered.
  selection=(-LE needs-exec)
  tests_note="binfmt_misc unavailable (${why:-no reason given}): tests labelled needs-exec left out"
  # shellcheck disable=SC2016 # expanded by the inner shell
  isolate='mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc && exec "$@"'
  if unshare --user --map-root-user --mount sh -c "$isolate" sh true 2>/dev/null; then
    isolation=(unshare --user --map-root-user --mount sh -c "$isolate" sh)
    tests_note+=", the others run without this machine's registrations"
  fi
fi

# --- build: the native frame tool to compare against, and the whole ARM build -------------
build_all() {
  local native
  native=$(native_tool) &&
    cmake --preset "$arch" -DORBITRA_DEV_ROOT="$devroot" -DORBITRA_NATIVE_CAPTURE="$native" >/dev/null &&
    cmake --build --preset "$arch" -j"$(nproc)" || return 1
  step_note "$(readelf -h "$build/orbitra-capture" | sed -n 's/^ *Machine: *//p')"
}
step build build_all || { steps_summary; exit; }

# --- tests under qemu, the golden frames among them compared frame by frame with x86-64 ------
run_tests() {
  local log=$build/ctest.log status counts
  (cd "$build" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "${isolation[@]}" ctest -j"$(nproc)" --output-on-failure "${selection[@]}" 2>&1 | tee "$log")
  status=${PIPESTATUS[0]}
  counts=$(grep -m1 -E 'tests passed, [0-9]+ tests failed' "$log")
  step_note "${counts:-ctest did not finish}; $tests_note"
  [ "$status" -eq 0 ] && [ -n "$counts" ]
}
step tests run_tests
# The frame check's own words, for the summary.
frame_check() {
  step_note "$(grep -h -m1 'consecutive frames and' "$build/Testing/Temporary/LastTest.log")"
  grep -qE 'Test +#[0-9]+: golden_frames .* Passed ' "$build/ctest.log"
}
step frames frame_check

# --- Debian package, from the project's CPack set-up ------------------------------------------
make_package() {
  local deb
  rm -f "$build"/orbitra_*.deb
  # dpkg-shlibdeps reads the dependencies off the target's installed libraries.
  (cd "$build" && DEB_HOST_ARCH=$arch cpack -G DEB) &&
    deb=$(ls "$build"/orbitra_*_"$arch".deb 2>/dev/null) &&
    [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] &&
    dpkg-deb -f "$deb" Depends | grep -q libsdl1.2debian || return 1
  step_note "$(basename "$deb")"
  echo "$(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends)"
}
step package make_package
if [ "${ORBITRA_CROSS_CHROOT:-no}" = yes ] && [ "${steps_results[-1]}" = ok ]; then
  step install-test platforms/linux/package-check.sh "$arch" "$(ls "$build"/orbitra_*_"$arch".deb)"
fi
[ -z "$out" ] || step copy cp "$build"/orbitra_*_"$arch".deb "$out/"
steps_summary
