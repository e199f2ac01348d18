#!/usr/bin/env bash
# The port for ARM Linux handhelds through PortMaster: the intro for aarch64 and armhf, built in
# a Debian 11 system (glibc 2.31, GCC 10) on SDL 1.2 with drivers of the port's own over the
# device's SDL2, packed as orbitra.zip (the name PortMaster installs it under) and checked.
# Usage: platforms/portmaster/platform.sh build|zip|test [STEP...]
#   build  the programs of both architectures (build-port-arm64/, build-port-armhf/)
#   zip    build, then pack the zip into build-portmaster/
#   test   zip, then check it: its files, its libraries (check.sh), every golden frame of both
#          builds under qemu, and the launcher under qemu on each SDL2 the devices carry, from
#          Debian 11 to 13, on screens of several sizes (launcher.sh, sdl2.txt)
#   release OUT  zip, then copy it into the release folder OUT; release-check OUT  test
# STEP names limit the run to those steps (see the summary). As root: debootstrap, mounts.
#   ORBITRA_PORT_ROOT_DIR   where the Debian systems are kept (default /var/tmp)
set -uo pipefail
exec 1>&2
cd "$(dirname "$0")/../.." || exit 1
repo=$PWD here=platforms/portmaster
# shellcheck source=/dev/null
for lib in packages libraries chroot native binfmt; do . "platforms/lib/$lib.sh"; done

command=${1:-} && shift
case "$command" in release | release-check) release_out=$1; shift ;; esac
systems=${ORBITRA_PORT_ROOT_DIR:-/var/tmp}
buildroot=$systems/orbitra-port-root
cache=$(cache_folder port "${ORBITRA_PORT_CACHE:-}")
out=$repo/build-portmaster
zipfile=$out/orbitra.zip
archs=(arm64 armhf)

# Step names on the command line, or in ORBITRA_STEPS as the house's step runner reads them.
[ $# -gt 0 ] && export ORBITRA_STEPS="$*"
# shellcheck source=../lib/steps.sh
. platforms/lib/steps.sh

# Runs a command of this machine with the folders a build uses (the work tree, /tmp and the
# library cache) visible at the same paths inside the build system, where the compilers run.
with_build_root() {
  mkdir -p "$cache" && CHROOT_BINDS="$repo /tmp $cache" chroot_with "$buildroot" "$@"
}

build_arch() {  # arm64|armhf: the libraries (cached), then the programs
  local arch=$1
  with_build_root bash -c '
    . platforms/lib/libraries.sh && . platforms/lib/binfmt.sh && arch_names "$1" &&
      build_libraries "portmaster-$1" "$2" "$3/toolchain/$triplet-gcc" cmake \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/$3/toolchain.cmake" -DORBITRA_ARCH="$1" || exit 1
    export ORBITRA_PORT_LIBS=$libs
    cmake --preset "port-$1" >/dev/null && cmake --build --preset "port-$1" -j"$(nproc)"' - "$arch" "$cache" "$here"
}

need_build_system() {
  # The plain build's tools and the checks' X server and image tools, then the port's own.
  tools/install-deps.sh test &&
    need_packages debootstrap zip unzip qemu-user-static qemu-user binfmt-support &&
    # Debian 11's cross compilers (GCC 10, glibc 2.31) and the ARM targets' SDL2 through
    # multiarch, so the programs load on every firmware with glibc 2.31 or newer.
    chroot_make "$buildroot" bullseye amd64 cmake make pkg-config crossbuild-essential-arm64 \
      crossbuild-essential-armhf libsdl2-dev:arm64 libsdl2-dev:armhf
}

# The launcher check's SDL2s (sdl2.txt), one line each: name suite package folder archs rate.
sdl2s() { awk '!/^#/ && NF' $here/sdl2.txt; }
# Debian 11's SDL2 is the build system's; each other suite's is in a system of its own, with
# no more than bash and, through multiarch, the ARM targets' packages of the table and the C++
# runtime the programs need beside it.
system_of() { [ "$1" = bullseye ] && echo "$buildroot" || echo "$systems/orbitra-port-$1"; }
need_sdl2_systems() {
  local suite
  need_packages sox || return 1
  for suite in $(sdl2s | awk '$3 != "-" { print $2 }' | sort -u); do
    # shellcheck disable=SC2046 # one word per package
    chroot_make "$(system_of "$suite")" "$suite" amd64 $(sdl2s | awk -v suite="$suite" '
      $2 == suite { n = split($5, archs, ",")
        for (i = 1; i <= n; i++) print $3 ":" archs[i] "\nlibstdc++6:" archs[i] }' |
      sort -u) || return 1
  done
}

# The native capture tool (for the screenshot and the frames and sound to compare with) and the
# screenshot comparer, of the plain build.
native_tools() { native_tool compareShot >/dev/null; }
tool=$repo/build/orbitra-capture
compare=$repo/build/tests/probe/compareShot

summary_text() {
  sed -n 's:.*<summary>\(.*\)</summary>.*:\1:p' platforms/linux/install/io.github.orbitra.Orbitra.metainfo.xml.in
}

make_zip() {
  local stage=$out/stage arch
  rm -rf "$stage" && mkdir -p "$stage/orbitra/licenses" || return 1
  cp $here/package/Orbitra.sh "$stage/" && cp $here/package/orbitra.gptk "$stage/orbitra/" || return 1
  local programs=()
  for arch in "${archs[@]}"; do
    local triplet qemu_name loader device
    arch_names "$arch" && install -m 755 "build-port-$arch/orbitra" "$stage/orbitra/orbitra.$device" &&
      with_build_root "$here/toolchain/$triplet-strip" "$stage/orbitra/orbitra.$device" || return 1
    programs+=("$stage/orbitra/orbitra.$device")
  done
  # Their sums, made from the bytes shipped (sha256sum -c programs.txt in the orbitra folder).
  (cd "$stage/orbitra" && sha256sum "${programs[@]##*/}" >programs.txt) || return 1
  # The oldest C library the port runs on, for PortMaster to offer it only there: the newest
  # glibc symbol version either program needs.
  local glibc
  glibc=$(readelf -V "${programs[@]}" | grep -o ' GLIBC_[0-9.]*' | sed 's/ GLIBC_//' | sort -V | tail -1)
  [ -n "$glibc" ] || return 1
  # The intro's files with their golden lists and sums (res/golden), for anyone who wants to
  # check them (sha256sum -c res/golden/sums.txt programs.txt in the folder that holds res).
  cp -r res "$stage/orbitra/res" && rm -f "$stage/orbitra/res/README.md" || return 1
  # Licences of the intro and of every library linked into it, named LICENSE.<part>.txt as
  # PortMaster's ports name them.
  cp LICENSE "$stage/orbitra/licenses/LICENSE.orbitra.txt" &&
    cp res/bigFont-LICENSE.txt "$stage/orbitra/licenses/LICENSE.bigFont.txt" || return 1
  local libs file
  libs=$(sed -n 's/^ORBITRA_LIBS_PREFIX:[A-Z]*=//p' build-port-arm64/CMakeCache.txt)
  for file in "$libs"/licences/*.copyright; do
    cp "$file" "$stage/orbitra/licenses/LICENSE.$(basename "$file" .copyright).txt" || return 1
  done
  local summary
  summary=$(summary_text)
  sed -e "s|@SUMMARY@|$summary|" -e "s|@MIN_GLIBC@|$glibc|" $here/package/port.json.in \
    >"$stage/orbitra/port.json" &&
    sed "s|@SUMMARY@|$summary|" $here/package/gameinfo.xml.in >"$stage/orbitra/gameinfo.xml" &&
    cp $here/package/README.md "$stage/orbitra/README.md" || return 1
  "$tool" --quiet --start 5000 --shot 5000 --fit 640x480 --shot-dir "$out/shot" || return 1
  mv "$out"/shot/*.png "$stage/orbitra/screenshot.png" && rm -rf "$out/shot" || return 1
  # The same bytes from the same commit: fixed times and order, no extra fields.
  find "$stage" -exec touch -h -d @0 {} + &&
    rm -f "$zipfile" && (cd "$stage" && find . -mindepth 1 | LC_ALL=C sort |
      TZ=UTC zip -q -X -D "$zipfile" -@) || return 1
  echo "$zipfile"
}

case "$command" in
  build | zip | test | release | release-check) ;;
  *) echo "usage: $0 build|zip|test|release OUT|release-check OUT [STEP...]"; exit 2 ;;
esac
step setup need_build_system || { steps_summary; exit 1; }
for arch in "${archs[@]}"; do
  step "build-$arch" build_arch "$arch"
done
if [ "$command" != build ]; then
  step native native_tools
  step zip make_zip
fi
[ "$command" != release ] || step copy cp "$zipfile" "$release_out/"
if [ "$command" = test ] || [ "$command" = release-check ]; then
  step port-check $here/check.sh files "$zipfile"
  step library-check $here/check.sh libraries "$zipfile"
  for arch in "${archs[@]}"; do
    # Every golden frame of the port's frame tool under qemu, on the Debian 11 system's
    # libraries, against the native tool's.
    arch_names "$arch"
    step "frames-$arch" env QEMU_LD_PREFIX="$buildroot" SDL_VIDEODRIVER=dummy \
      SDL_AUDIODRIVER=dummy tests/framecheck.sh "$tool" "build-port-$arch/orbitra-capture" \
      "qemu-$qemu_name-static" "$repo" "port $arch"
  done
  # The launcher on each SDL2 the devices carry: the whole check on a 640x480 screen for each
  # architecture, and on the first architecture the picture on the other screens.
  step sdl2-systems need_sdl2_systems
  while read -r sdl2 suite _ folder archs_named rate; do
    IFS=, read -ra sdl2_archs <<<"$archs_named"
    for arch in "${sdl2_archs[@]}"; do
      step "launcher-$sdl2-$arch" $here/launcher.sh full "$arch" "$zipfile" "build-port-$arch" \
        "$tool" "$compare" "$(system_of "$suite")" "$folder" "$rate"
    done
    step "screens-$sdl2" $here/launcher.sh screens "${sdl2_archs[0]}" "$zipfile" \
      "build-port-${sdl2_archs[0]}" "$tool" "$compare" "$(system_of "$suite")" "$folder" "$rate" \
      480x320 720x720 1280x720
  done < <(sdl2s)
fi
steps_summary
