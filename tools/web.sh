#!/usr/bin/env bash
# The intro in a web browser.
#   tools/web.sh build        installs what it needs and builds the site into build-web/site
#   tools/web.sh serve [port] builds, then serves the site on http://127.0.0.1:<port>/ (8080)
#   tools/web.sh test         builds, then checks the page in headless Chromium against the
#                             desktop frame tool, frame for frame
# The libraries (SDL 1.2, SDL_mixer, libmikmod, FreeType, libpng, zlib from Debian's source
# packages pinned in deps/debian-sources.txt, built with Emscripten) are cached outside the work
# tree (in $ORBITRA_WEB_CACHE when set), keyed by those versions and the build's own files,
# so only the first build on a machine compiles them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# The desktop command whose hash list the browser's must equal; it is given
# <end-ms> <every-ms> <jump ticks...> and prints "<tick> <hash>" lines and an "all <hash>" line.
NATIVE_HASHES=${NATIVE_HASHES:-"build/orbitra-capture --hashes"}
# The golden frames: every frame 20 ms apart over three minutes, and frames past the clock's wraps.
FRAME_ARGS=(180000 250 330890 655360 858993459)
PUPPETEER=puppeteer-core@24.43.1

build_dir=$root/build-web
site=$build_dir/site
# shellcheck source=lib/libraries.sh
. tools/lib/libraries.sh
cache=$(cache_folder web "${ORBITRA_WEB_CACHE:-}")
export NODE_PATH=/usr/share/nodejs  # emcc's own scripts need Debian's node modules
say() { echo "web: $*" >&2; }

# shellcheck source=lib/packages.sh
. tools/lib/packages.sh

build_site() {
  need_packages emscripten dpkg-dev cmake make
  command -v node >/dev/null || need_packages nodejs
  build_libraries web "$cache"
  mkdir -p "$build_dir"
  # The web preset (CMakePresets.json) builds into $build_dir; a folder configured from another
  # source folder cannot be configured again.
  grep -qsx "CMAKE_HOME_DIRECTORY:INTERNAL=$root" "$build_dir/CMakeCache.txt" ||
    rm -f "$build_dir/CMakeCache.txt"
  emcmake cmake --preset web -DORBITRA_WEB_LIBS="$libs" >"$build_dir/configure.log" 2>&1 ||
    { cat "$build_dir/configure.log" >&2; exit 1; }
  cmake --build --preset web -j2 >"$build_dir/build.log" 2>&1 ||
    { grep -B2 -A10 -m5 "error" "$build_dir/build.log" >&2; exit 1; }
  local raw=0 packed=0 file
  for file in "$site"/*; do
    raw=$((raw + $(stat -c %s "$file")))
    packed=$((packed + $(gzip -9c "$file" | wc -c)))
  done
  say "site built in $site: $((raw / 1024)) KiB, $((packed / 1024)) KiB compressed (gzip -9)"
}

native_hashes() {
  local tool=${NATIVE_HASHES%% *}
  say "building the desktop frame tool (${tool})"
  tools/install-deps.sh run
  [ -f build/CMakeCache.txt ] || cmake --preset plain >/dev/null
  cmake --build build -j2 --target "$(basename "$tool")" >/dev/null
  $NATIVE_HASHES "${FRAME_ARGS[@]}"
}

run_test() {
  build_site
  need_packages chromium
  command -v npm >/dev/null || need_packages npm
  if [ ! -f "$cache/node/node_modules/puppeteer-core/package.json" ]; then
    say "installing $PUPPETEER"
    mkdir -p "$cache/node"
    # The browser is Debian's: puppeteer must not fetch one of its own.
    PUPPETEER_SKIP_DOWNLOAD=1 npm install --prefix "$cache/node" --no-audit --no-fund \
      --loglevel=error "$PUPPETEER" >&2
  fi
  local expected=$build_dir/native-hashes.txt
  native_hashes >"$expected"
  ORBITRA_WEB_MODULES=$cache/node/node_modules node tests/web/browser-test.mjs \
    --site "$site" --expected "$expected" --frames "${FRAME_ARGS[*]}" --out "$build_dir"
}

case "${1:-}" in
  build) build_site ;;
  serve)
    build_site
    exec node web/serve.mjs "$site" "${2:-8080}"
    ;;
  test) run_test ;;
  *)
    echo "usage: tools/web.sh build|serve [port]|test" >&2
    exit 2
    ;;
esac
