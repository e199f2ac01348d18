#!/usr/bin/env bash
# Builds the intro for an ARM Linux architecture with Debian's cross toolchain, runs the test
# suite under qemu-user and checks that the ARM build draws exactly the frames the x86-64 build
# draws, then makes the Debian package. Installs what it needs when missing (Debian packages,
# as root); run again, it installs nothing.
# Usage: tools/cross.sh arm64|armhf
#   ORBITRA_CROSS_CHROOT=yes  also installs the package in a Debian system of the architecture
#                             (debootstrap, kept in /var/tmp) and starts it there
#   ORBITRA_CROSS_BINFMT=no   runs the suite as on a machine where binfmt_misc is unavailable
set -uo pipefail
exec 1>&2
cd "$(dirname "$0")/.." || exit 1
root=$PWD

arch=${1:-}
case "$arch" in
  arm64) triplet=aarch64-linux-gnu qemu_name=aarch64 ;;
  armhf) triplet=arm-linux-gnueabihf qemu_name=arm ;;
  *) echo "usage: tools/cross.sh arm64|armhf"; exit 2 ;;
esac
build=$root/build-$arch
native=$root/build
# The target's development packages of SDL 1.2 and the module player, unpacked, never installed.
devroot=$build/dev-root
jobs=2

native_packages=(qemu-user-static "crossbuild-essential-$arch")
lib_packages=(libsdl1.2debian libsdl-image1.2 libsdl-mixer1.2 libsdl-ttf2.0-0 libmikmod3)
dev_packages=(libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev
  libmikmod-dev)
target_packages=(libc6 libstdc++6 "${lib_packages[@]}" libpng-dev zlib1g-dev libgtest-dev)

steps=() results=() seconds=() notes=()
failed=0
record() {  # step, ok|FAILED|skipped, start time, note
  steps+=("$1") results+=("$2") seconds+=($(($(date +%s) - $3))) notes+=("${4:-}")
  [ "$2" = FAILED ] && failed=$((failed + 1))
  return 0
}
summary() {
  local passed=0 i
  echo
  echo "== tools/cross.sh $arch: summary =="
  for i in "${!steps[@]}"; do
    printf '%-12s %-8s %4ss  %s\n' "${steps[$i]}" "${results[$i]}" "${seconds[$i]}" "${notes[$i]}"
    [ "${results[$i]}" = ok ] && passed=$((passed + 1))
  done
  printf '%-12s %-8s %4ss\n' total "" $(($(date +%s) - started))
  echo "$arch: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}
started=$(date +%s)

unpack_debs() {
  local deb
  for deb; do dpkg -x "$deb" "$devroot" || return 1; done
}
# shellcheck source=lib/packages.sh
. tools/lib/packages.sh

# --- install: the cross toolchain, qemu and the target's run-time libraries -------------
t=$(date +%s)
install_ok=1
tools/install-deps.sh test || install_ok=0
if [ $install_ok = 1 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "The $arch architecture is not enabled: run this script as root"
      install_ok=0
    else
      dpkg --add-architecture "$arch" || install_ok=0
    fi
  fi
  # Installing refreshes the package lists first, which a newly added architecture needs.
  [ $install_ok = 1 ] && { need_packages "${native_packages[@]}" "${target_packages[@]/%/:$arch}" ||
    install_ok=0; }
fi
if [ $install_ok = 1 ]; then
  # Unpacked again only when apt offers other versions than the ones unpacked. The run-time
  # packages are unpacked too: the -dev packages' library links point into them.
  unpack=("${dev_packages[@]/%/:$arch}" "${lib_packages[@]/%/:$arch}")
  wanted=$(apt-cache policy "${unpack[@]}" | awk '/^[^ ]/ { name = $1 } /Candidate:/ { print name, $2 }')
  if [ "$(cat "$devroot/versions" 2>/dev/null)" != "$wanted" ]; then
    # pkg-config's answers are cached with the build: unpacked anew, configured anew.
    rm -rf "$devroot" "$build/CMakeCache.txt" && mkdir -p "$devroot/debs" &&
      (cd "$devroot/debs" && apt-get download -qq -o APT::Sandbox::User=root "${unpack[@]}") &&
      unpack_debs "$devroot"/debs/*.deb &&
      [ -f "$devroot/usr/lib/$triplet/pkgconfig/sdl.pc" ] && echo "$wanted" >"$devroot/versions" ||
      install_ok=0
  fi
fi
if [ $install_ok = 1 ]; then
  record install ok "$t"
else
  record install FAILED "$t"
  summary
fi

# --- binfmt_misc: lets programs started by the tests (death tests, the program as a child,
# the script tests) run as ARM programs ---------------------------------------------------
binfmt=/proc/sys/fs/binfmt_misc
register_binfmt() {
  [ -e "$binfmt/qemu-$qemu_name" ] && grep -q enabled "$binfmt/qemu-$qemu_name" && return 0
  [ "$(id -u)" -eq 0 ] || return 1
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || return 1
  [ -e "$binfmt/qemu-$qemu_name" ] && echo -1 >"$binfmt/qemu-$qemu_name"
  # Debian's rule for this interpreter, with F so that the interpreter is found in a chroot too.
  grep -h '^:' "/usr/lib/binfmt.d/qemu-$qemu_name.conf" >"$binfmt/register" 2>/dev/null
}
if [ "${ORBITRA_CROSS_BINFMT:-yes}" != no ] && register_binfmt; then binfmt_ok=1; else binfmt_ok=0; fi

# --- build: the native frame tool to compare against, and the whole ARM build -------------
t=$(date +%s)
build_ok=1
# The native build is the suite's plain build, configured as tools/run-tests.sh does it.
cmake --preset plain >/dev/null || build_ok=0
[ $build_ok = 1 ] && cmake --build "$native" -j$jobs --target orbitra-capture >/dev/null ||
  build_ok=0
# The architecture's preset (CMakePresets.json) builds into $build.
if [ $build_ok = 1 ]; then
  cmake --preset "$arch" -DORBITRA_DEV_ROOT="$devroot" \
    -DORBITRA_NATIVE_CAPTURE="$native/orbitra-capture" >/dev/null &&
    cmake --build --preset "$arch" -j$jobs || build_ok=0
fi
if [ $build_ok = 1 ]; then
  record build ok "$t" "$(readelf -h "$build/orbitra-capture" | sed -n 's/^ *Machine: *//p')"
else
  record build FAILED "$t"
  summary
fi

# --- tests under qemu, the golden frames among them compared frame by frame with x86-64 ------
t=$(date +%s)
selection=() isolation=()
if [ $binfmt_ok = 1 ]; then
  tests_note="binfmt_misc registered"
else
  # Without binfmt_misc an ARM program runs only when qemu starts it, so the tests labelled as
  # starting one themselves are left out. Where the kernel allows, the rest run with an empty
  # binfmt_misc of their own, so that an unlabelled one fails here even when this machine has
  # qemu registered.
  selection=(-LE needs-exec)
  tests_note="binfmt_misc unavailable: tests labelled needs-exec left out"
  # shellcheck disable=SC2016 # expanded by the inner shell
  isolate='mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc && exec "$@"'
  if unshare --user --map-root-user --mount sh -c "$isolate" sh true 2>/dev/null; then
    isolation=(unshare --user --map-root-user --mount sh -c "$isolate" sh)
    tests_note+=", the others run without this machine's registrations"
  fi
fi
log=$build/ctest.log
(cd "$build" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  "${isolation[@]}" ctest -j$jobs --output-on-failure "${selection[@]}" 2>&1 | tee "$log")
tests_status=${PIPESTATUS[0]}
counts=$(grep -m1 -E 'tests passed, [0-9]+ tests failed' "$log")
if [ "$tests_status" -eq 0 ] && [ -n "$counts" ]; then
  record tests ok "$t" "$counts; $tests_note"
else
  record tests FAILED "$t" "${counts:-ctest did not finish}; $tests_note"
fi
# The frame check's own words and time, for the summary.
frames_line=$(grep -m1 -E 'Test +#[0-9]+: golden_frames ' "$log")
frames_words=$(grep -h -m1 'consecutive frames and' "$build/Testing/Temporary/LastTest.log")
frames_seconds=$(sed -n -E 's/.* ([0-9]+)\.[0-9]+ sec$/\1/p' <<<"$frames_line")
if grep -q ' Passed ' <<<"$frames_line"; then
  record frames ok "$(($(date +%s) - ${frames_seconds:-0}))" "$frames_words"
else
  record frames FAILED "$(($(date +%s) - ${frames_seconds:-0}))" "${frames_line:-golden_frames did not run}"
fi

# --- Debian package, from the project's CPack set-up ------------------------------------------
if [ -f "$build/CPackConfig.cmake" ]; then
  t=$(date +%s)
  rm -f "$build"/orbitra_*.deb
  # dpkg-shlibdeps reads the dependencies off the target's installed libraries.
  if (cd "$build" && DEB_HOST_ARCH=$arch cpack -G DEB >"$build/cpack.log" 2>&1) &&
    deb=$(ls "$build"/orbitra_*_"$arch".deb 2>/dev/null) &&
    [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] &&
    dpkg-deb -f "$deb" Depends | grep -q libsdl1.2debian; then
    echo "$(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends)"
    if [ "${ORBITRA_CROSS_CHROOT:-no}" = yes ]; then
      record package ok "$t" "$(basename "$deb")"
      t=$(date +%s)
      log=$build/chroot.log
      tests/cross/chroot-install.sh "$arch" "$deb" 2>&1 | tee "$log"
      if [ "${PIPESTATUS[0]}" -eq 0 ]; then
        record install-test ok "$t" "$(tail -1 "$log")"
      else
        record install-test FAILED "$t" "$(tail -1 "$log")"
      fi
    else
      record package ok "$t" "$(basename "$deb") (ORBITRA_CROSS_CHROOT=yes installs it in a chroot)"
    fi
  else
    cat "$build/cpack.log"
    record package FAILED "$t" "no $arch package with its dependencies"
  fi
fi

summary
