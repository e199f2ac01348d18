#!/usr/bin/env bash
# Builds the pinned libraries of a platform from Debian's source packages into a prefix:
#   deps/build-libs.sh NAME PREFIX CONFIGURE...
# NAME is the platform's folder in platforms/ (its config/ holds its SDL configuration), with
# -ARCH for one of its architectures; CONFIGURE the command that configures a CMake project for
# it (emcmake cmake; cmake -DCMAKE_TOOLCHAIN_FILE=...), as the platform's platform.sh gives it
# through build_libraries (platforms/lib/libraries.sh). The prefix appears only when complete:
# the libraries are built into a folder of this run's own beside it and renamed into place, so
# two builds at once never wipe each other's half-built tree.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../platforms/lib/sources.sh
. "$here/../platforms/lib/sources.sh"
[ $# -ge 3 ] || { echo "usage: $0 NAME PREFIX CONFIGURE..." >&2; exit 2; }
platform=$1 prefix=$2 configure=("${@:3}")
config=$(cd "$here/../platforms/${platform%%-*}/config" && pwd)
say() { echo "$platform: $*" >&2; }
jobs=${DEPS_JOBS:-$(nproc)}
work=$(mktemp -d "/tmp/orbitra-$platform-deps.XXXXXX")
mkdir -p "$(dirname "$prefix")"
staging=$(mktemp -d "$prefix.tmp.XXXXXX")
trap 'rm -rf "$work" "$staging"' EXIT

say "fetching the pinned source packages"
fetch_sources "$work/src" libsdl1.2 sdl-mixer1.2 libmikmod freetype libpng1.6 zlib
dir() { find "$work/src" -maxdepth 1 -type d -name "$1-*" | head -n1; }
# Changes to the library sources, kept as patches beside the configuration: the platform's to
# SDL, and the module player's for every platform.
apply_patches() {  # folder of patches, source package
  local patch
  for patch in "$1"/*.patch; do
    [ -f "$patch" ] || continue
    patch -d "$(dir "$2")" -p1 --quiet <"$patch" ||
      { say "$(basename "$patch") does not apply"; exit 1; }
  done
}
apply_patches "$config" libsdl1.2
apply_patches "$here/config/mikmod" libmikmod

say "building zlib, libpng, libmikmod, SDL and SDL_mixer"
"${configure[@]}" -S "$here" -B "$work/deps-build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$staging" -DZLIB_DIR="$(dir zlib)" -DPNG_DIR="$(dir libpng1.6)" \
  -DMIKMOD_DIR="$(dir libmikmod)" -DSDL_DIR="$(dir libsdl1.2)" \
  -DMIXER_DIR="$(dir sdl-mixer1.2)" -DORBITRA_SDL_CONFIG="$config" >"$work/deps.log" 2>&1 || { cat "$work/deps.log" >&2; exit 1; }
cmake --build "$work/deps-build" -j"$jobs" >>"$work/deps.log" 2>&1 ||
  { grep -B2 -A8 -m3 "error" "$work/deps.log" >&2; exit 1; }
cmake --install "$work/deps-build" >/dev/null

say "building FreeType"
# As Debian configures it (zlib from above, no HarfBuzz, no bzip2), less what a TrueType
# outline font never uses (colour bitmaps, compressed web fonts).
"${configure[@]}" -S "$(dir freetype)" -B "$work/freetype-build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$staging" -DBUILD_SHARED_LIBS=OFF \
  -DFT_DISABLE_HARFBUZZ=TRUE -DFT_DISABLE_BZIP2=TRUE -DFT_DISABLE_BROTLI=TRUE \
  -DFT_DISABLE_PNG=TRUE -DFT_REQUIRE_ZLIB=TRUE \
  -DZLIB_LIBRARY="$staging/lib/libz.a" -DZLIB_INCLUDE_DIR="$staging/include" >"$work/freetype.log" 2>&1 ||
  { cat "$work/freetype.log" >&2; exit 1; }
cmake --build "$work/freetype-build" -j"$jobs" >>"$work/freetype.log" 2>&1 ||
  { tail -30 "$work/freetype.log" >&2; exit 1; }
cmake --install "$work/freetype-build" >/dev/null

# Licences travel with the libraries, for the downloads' notices.
mkdir -p "$staging/licences"
for p in zlib libpng1.6 libmikmod freetype libsdl1.2 sdl-mixer1.2; do
  cp "$(dir "$p")/debian/copyright" "$staging/licences/$p.copyright"
done
pinned_sources_key >"$staging/licences/sources.txt"
# Whoever finishes first puts its tree in place; a later one leaves that tree alone.
mv -T "$staging" "$prefix" 2>/dev/null || [ -f "$prefix/lib/libSDL.a" ]
