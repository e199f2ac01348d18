#!/usr/bin/env bash
# Builds the browser build's libraries from Debian's source packages into a prefix:
#   web/deps/build-libs.sh <prefix>
# Expects emcc on the PATH and deb-src lines for the release (tools/web.sh sets both up).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1
jobs=${WEB_JOBS:-2}
work=$(mktemp -d /tmp/orbitra-web-deps.XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "web: fetching source packages" >&2
(cd "$work" && apt-get source -qq libsdl1.2 sdl-mixer1.2 libmikmod freetype libpng1.6 zlib \
  >"$work/source.log" 2>&1) || { cat "$work/source.log" >&2; exit 1; }
dir() { find "$work" -maxdepth 1 -type d -name "$1-*" | head -n1; }

rm -rf "$prefix.tmp" && mkdir -p "$prefix.tmp"

echo "web: building zlib, libpng, libmikmod, SDL and SDL_mixer" >&2
emcmake cmake -S "$here" -B "$work/deps-build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix.tmp" -DZLIB_DIR="$(dir zlib)" -DPNG_DIR="$(dir libpng1.6)" \
  -DMIKMOD_DIR="$(dir libmikmod)" -DSDL_DIR="$(dir libsdl1.2)" \
  -DMIXER_DIR="$(dir sdl-mixer1.2)" >"$work/deps.log" 2>&1 || { cat "$work/deps.log" >&2; exit 1; }
cmake --build "$work/deps-build" -j"$jobs" >>"$work/deps.log" 2>&1 ||
  { grep -B2 -A8 -m3 "error" "$work/deps.log" >&2; exit 1; }
cmake --install "$work/deps-build" >/dev/null

echo "web: building FreeType" >&2
# As Debian configures it (zlib from above, no HarfBuzz, no bzip2), less what a TrueType
# outline font never uses (colour bitmaps, compressed web fonts).
emcmake cmake -S "$(dir freetype)" -B "$work/freetype-build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix.tmp" -DBUILD_SHARED_LIBS=OFF \
  -DFT_DISABLE_HARFBUZZ=TRUE -DFT_DISABLE_BZIP2=TRUE -DFT_DISABLE_BROTLI=TRUE \
  -DFT_DISABLE_PNG=TRUE -DFT_REQUIRE_ZLIB=TRUE \
  -DZLIB_LIBRARY="$prefix.tmp/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix.tmp/include" >"$work/freetype.log" 2>&1 ||
  { cat "$work/freetype.log" >&2; exit 1; }
cmake --build "$work/freetype-build" -j"$jobs" >>"$work/freetype.log" 2>&1 ||
  { tail -30 "$work/freetype.log" >&2; exit 1; }
cmake --install "$work/freetype-build" >/dev/null

# Licences travel with the libraries, for the site's notice.
mkdir -p "$prefix.tmp/licences"
for p in zlib libpng1.6 libmikmod freetype libsdl1.2 sdl-mixer1.2; do
  cp "$(dir "$p")/debian/copyright" "$prefix.tmp/licences/$p.copyright"
done
rm -rf "$prefix" && mv "$prefix.tmp" "$prefix"
