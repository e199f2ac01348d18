#!/usr/bin/env bash
# The intro and its capture tool for 64-bit Windows. Usage: platforms/windows/platform.sh VERB
#   build        installs what it needs and builds build-windows/orbitra.exe and
#                build-windows/orbitra-capture.exe (static: only Windows' own DLLs)
#   test         builds and packs the zip, then under Wine, in a Wine prefix of its own in a
#                temporary folder: every frame against the native capture tool's and the golden
#                list, and the real window on a virtual display
#   zip          builds, then packs build-windows/orbitra-<version>-windows-x64.zip
#   release OUT  the zip into the release folder OUT (release/<version>); release-check OUT
#                the test, whose zip (unpacked, --verify in its own Wine prefix) is OUT's
# The pinned libraries are built with MinGW-w64 (platforms/lib/libraries.sh) and cached in
# $ORBITRA_WINDOWS_CACHE when set.
set -euo pipefail
here=platforms/windows
cd "$(dirname "$0")/../.."
build_dir=$PWD/build-windows
mingw=x86_64-w64-mingw32
# shellcheck source=/dev/null
for lib in packages libraries archive native; do . "platforms/lib/$lib.sh"; done
cache=$(cache_folder windows "${ORBITRA_WINDOWS_CACHE:-}")
say() { echo "windows: $*" >&2; }
kib() { echo $(($(stat -c %s "$1") / 1024)); }

build_programs() {
  need_packages g++-mingw-w64-x86-64-posix cmake make dpkg-dev
  build_libraries windows "$cache" "$mingw-gcc-posix" cmake -DCMAKE_TOOLCHAIN_FILE="$PWD/$here/toolchain.cmake"
  mkdir -p "$build_dir/stripped"
  cmake --preset windows -DORBITRA_LIBS_PREFIX="$libs" >"$build_dir/configure.log" 2>&1 ||
    { cat "$build_dir/configure.log" >&2; exit 1; }
  cmake --build --preset windows -j"$(nproc)" --target orbitra orbitra-capture orbitra-held \
    >"$build_dir/build.log" 2>&1 || { grep -B2 -A10 -m5 "error" "$build_dir/build.log" >&2; exit 1; }
  local program dll
  for program in orbitra orbitra-capture; do
    # Every DLL a program loads must be one of these of Windows' own: a compiler's runtime
    # DLL would be missing beside the program on a person's machine.
    for dll in $("$mingw-objdump" -p "$build_dir/$program.exe" | sed -n 's/^\s*DLL Name: //p'); do
      grep -qwF "${dll,,}" <<<"advapi32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll winmm.dll" ||
        { say "$program.exe loads $dll, which is not part of Windows"; exit 1; }
    done
    "$mingw-strip" -o "$build_dir/stripped/$program.exe" "$build_dir/$program.exe"
    say "$program.exe: $(kib "$build_dir/$program.exe") KiB," \
      "$(kib "$build_dir/stripped/$program.exe") KiB stripped"
  done
}

make_zip() {
  build_programs
  need_packages zip unzip base-files
  local name stage=$build_dir/zip-stage folder file
  # The version of the one project, as CMake read it.
  name=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
  name=orbitra-$name-windows-x64
  folder=$stage/$name
  rm -rf "$stage"
  mkdir -p "$folder/res/golden" "$folder/licences"
  cp "$build_dir/stripped/orbitra.exe" "$build_dir/stripped/orbitra-capture.exe" \
    $here/package/README.txt "$folder/"
  # The screen saver beside them, built by its own platform on the same libraries.
  platforms/saver/platform.sh scr || return 1
  "$mingw-strip" -o "$folder/orbitra.scr" build-saver-windows/orbitra.scr || return 1
  # The programs' sums beside res/, made from the bytes shipped, for --verify.
  (cd "$folder" && sha256sum orbitra.exe orbitra-capture.exe orbitra.scr >programs.txt)
  # The intro's files, as installed on Linux: res/ but its notes for developers.
  find res -maxdepth 1 -type f ! -name README.md -exec cp {} "$folder/res/" \;
  # The golden lists, for orbitra-capture.exe --verify (byte for byte: their sums are checked).
  cp res/golden/*.txt "$folder/res/golden/"
  # Each library's terms and where its source comes from: Debian's copyright files of the pinned
  # source packages, the full texts they point to, the change made to SDL, the C runtime's.
  cp LICENSE "$folder/licences/orbitra.txt"
  for file in "$libs"/licences/*.copyright; do
    cp "$file" "$folder/licences/$(basename "$file" .copyright).txt"
  done
  for file in LGPL-2.1 LGPL-2 GPL-2; do
    cp "/usr/share/common-licenses/$file" "$folder/licences/$file.txt"
  done
  cp /usr/share/doc/mingw-w64-common/copyright "$folder/licences/mingw-w64-runtime.txt"
  cp $here/config/sdl-window-scaling.patch deps/config/mikmod/sampling-factor.patch \
    "$folder/licences/"
  # Where each library's source comes from, with the pinned versions in place of @PACKAGES@.
  pinned_sources_key | awk 'NF { printf "  %-14s %s\n", $1, $2 }' |
    sed -e '/^@PACKAGES@$/ {r /dev/stdin' -e 'd}' $here/package/SOURCES.txt \
    >"$folder/licences/SOURCES.txt"
  # Text files with Windows line ends, for any editor that opens them.
  sed -i 's/$/\r/' "$folder/README.txt" "$folder"/licences/*.txt
  zip_file=$build_dir/$name.zip
  reproducible_zip "$zip_file" "$folder"
  rm -rf "$stage"
  say "$(basename "$zip_file"): $(kib "$zip_file") KiB"
}

run_test() {
  make_zip
  local listing entry native start
  listing=$(unzip -Z1 "$zip_file")
  for entry in orbitra.exe orbitra-capture.exe orbitra.scr README.txt res/zak.dat res/bigFont-LICENSE.txt \
    licences/SOURCES.txt licences/LGPL-2.1.txt licences/libsdl1.2.txt licences/sdl-mixer1.2.txt \
    licences/libmikmod.txt licences/freetype.txt licences/libpng1.6.txt licences/zlib.txt \
    res/golden/frames.txt res/golden/sound.txt res/golden/sums.txt programs.txt; do
    grep -qx "[^/]*/$entry" <<<"$listing" || { say "the zip lacks $entry"; exit 1; }
  done
  need_packages wine wine64 xvfb xauth x11-utils xdotool imagemagick openbox
  start=$SECONDS
  say "building the native capture tool and screenshot comparer"
  native=$(native_tool compareShot)
  $here/wine.sh "$build_dir" "$PWD" "$native" "$(dirname "$native")/tests/probe/compareShot"
  say "checked under Wine in $((SECONDS - start)) s"
}

case "${1:-}" in
  build) build_programs ;;
  test) run_test ;;
  zip) make_zip ;;
  release) make_zip && cp "$zip_file" "$2/" ;;
  release-check) run_test && cmp "$zip_file" "$2/$(basename "$zip_file")" ;;
  *) echo "usage: $0 build|test|zip|release OUT|release-check OUT" >&2; exit 2 ;;
esac
