#!/usr/bin/env bash
# The intro in a web browser. Usage: platforms/browser/platform.sh VERB
#   build         installs what it needs and builds the site into build-web/site, with its
#                 licence page and the single-file page orbitra.html
#   serve [port]  builds, then serves the site on http://127.0.0.1:<port>/ (8080)
#   test          builds, checks the development server, then the served site and the single
#                 page in headless Chromium and Firefox and in WebKit on a private X server
#                 against the desktop frame tool, frame for frame, and its soundtrack
#   release OUT   the site as a zip and as one page into the release folder OUT
#                 (release/<version>); release-check OUT is the test
# The pinned libraries are built with Emscripten (platforms/lib/libraries.sh) and cached in
# $ORBITRA_WEB_CACHE when set.
set -euo pipefail
here=platforms/browser
cd "$(dirname "$0")/../.."
root=$PWD
build_dir=$root/build-web
site=$build_dir/site
# The golden frames: every frame 20 ms apart over three minutes, and frames past the clock's
# wraps, as the golden list's first line names them ("frames <end> <every> <jump>...").
read -r -a FRAME_ARGS <res/golden/frames.txt
FRAME_ARGS=("${FRAME_ARGS[@]:1}")
# The browser test's drivers, from npm: puppeteer for Chromium and Firefox, a WebDriver client
# for WebKit (Debian's WebKitWebDriver).
DRIVERS=(puppeteer-core@24.43.1 selenium-webdriver@4.38.0)
# shellcheck source=/dev/null
for lib in packages libraries native archive; do . "platforms/lib/$lib.sh"; done
cache=$(cache_folder web "${ORBITRA_WEB_CACHE:-}")
export NODE_PATH=/usr/share/nodejs  # emcc's own scripts need Debian's node modules
say() { echo "web: $*" >&2; }

build_site() {
  need_packages emscripten dpkg-dev cmake make
  command -v node >/dev/null || need_packages nodejs
  build_libraries browser "$cache" emcc emcmake cmake
  mkdir -p "$build_dir"
  # The web preset (CMakePresets.json) builds into $build_dir; a folder configured from another
  # source folder cannot be configured again.
  grep -qsx "CMAKE_HOME_DIRECTORY:INTERNAL=$root" "$build_dir/CMakeCache.txt" ||
    rm -f "$build_dir/CMakeCache.txt"
  emcmake cmake --preset web -DORBITRA_LIBS_PREFIX="$libs" >"$build_dir/configure.log" 2>&1 ||
    { cat "$build_dir/configure.log" >&2; exit 1; }
  cmake --build --preset web -j"$(nproc)" >"$build_dir/build.log" 2>&1 ||
    { grep -B2 -A10 -m5 "error" "$build_dir/build.log" >&2; exit 1; }
  node $here/page/pack.mjs "$site" "$libs/licences"
  # What a visitor transfers to watch it (the licence page, the golden lists for ?verify and the
  # single file are extra).
  local files=(index.html card.js sound.js verify.js page.js orbitra.js orbitra.wasm orbitra.data
    audio-worklet.js) file
  say "site built in $site: $(($(cat "${files[@]/#/$site/}" | wc -c) / 1024)) KiB," \
    "$(($(for file in "${files[@]/#/$site/}"; do gzip -9c "$file"; done | wc -c) / 1024)) KiB" \
    "compressed (gzip -9)"
  say "single-file page $site/orbitra.html: $(($(stat -c %s "$site/orbitra.html") / 1024)) KiB," \
    "$(($(gzip -9c "$site/orbitra.html" | wc -c) / 1024)) KiB compressed"
}

# Firefox plays sound only through a sound server: a private PulseAudio with a null sink (no
# hardware), stopped when the script ends.
start_sound_sink() {
  local dir pid
  dir=$(mktemp -d /tmp/orbitra-pulse.XXXXXX)
  HOME=$dir XDG_RUNTIME_DIR=$dir pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no --disallow-exit -F /dev/null \
    --load="module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    --load="module-null-sink sink_name=orbitra" >"$dir/log" 2>&1 &
  pid=$!
  # shellcheck disable=SC2064  # the values of now
  trap "kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf '$dir'" EXIT
  export PULSE_SERVER=unix:$dir/native
  # shellcheck disable=SC2016  # expanded by the inner shell
  timeout 10 sh -c 'until [ -S "$1" ]; do sleep 0.1; done' - "$dir/native" && return 0
  cat "$dir/log" >&2
  say "the sound server did not start"
  return 1
}

run_test() {
  build_site
  need_packages chromium firefox-esr webkit2gtk-driver pulseaudio xvfb xauth
  command -v npm >/dev/null || need_packages npm
  # Keyed by the versions, so that a new pin installs afresh.
  local modules
  modules=$cache/node-$(echo "${DRIVERS[*]}" | sha256sum | cut -c1-16)
  if [ ! -f "$modules/node_modules/.complete" ]; then
    say "installing ${DRIVERS[*]}"
    mkdir -p "$modules"
    # The browsers are Debian's: puppeteer must not fetch its own.
    PUPPETEER_SKIP_DOWNLOAD=1 npm install --prefix "$modules" --no-audit --no-fund \
      --loglevel=error "${DRIVERS[@]}" >&2
    touch "$modules/node_modules/.complete"
  fi
  say "checking the development server"
  # Its tests take seconds; a server left open would hold the step until its own limit.
  timeout -k 10 300 node --test --test-reporter=dot $here/serve-test.mjs >&2 ||
    { say "the development server's tests failed, or did not end within 300 s"; return 1; }
  # The desktop's frame hashes and the first 30 seconds of its soundtrack, which the page's
  # must equal.
  local native expected=$build_dir/native-hashes.txt sound=$build_dir/native-sound.wav
  say "building the desktop frame tool (build/orbitra-capture)"
  native=$(native_tool)
  "$native" --hashes "${FRAME_ARGS[@]}" >"$expected"
  "$native" --quiet --seconds 30 --wav "$sound"
  start_sound_sink
  # All browsers at once: each test spends most of its time on one core. WebKit has no headless
  # mode: it draws on a private X server.
  local browser pids=() status=0
  for browser in chromium firefox webkit; do
    run_browser "$browser" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do
    wait "$pid" || status=1
  done
  return $status
}

# A browser whose session never opens (WebKit's, now and then) would hold the step for ever:
# each run has 20 minutes, and one that runs out is tried once more.
run_browser() {
  local display=() try
  [ "$1" = webkit ] && display=(xvfb-run -a -s "-screen 0 2560x1440x24")
  for try in 1 2; do
    ORBITRA_WEB_MODULES=$modules/node_modules "${display[@]}" timeout 1200 node $here/browser-test.mjs \
      --browser "$1" --site "$site" --expected "$expected" --sound "$sound" \
      --frames "${FRAME_ARGS[*]}" --out "$build_dir" && return 0
    [ $? -eq 124 ] || return 1
    say "$1: the browser test did not end within 20 minutes (try $try of 2)"
  done
  return 1
}

# The site as served, the single page included: the site's own pages point to it.
release() {
  local out=$1 stage=$build_dir/release version=${1##*/}
  build_site
  rm -rf "$stage" && mkdir -p "$stage" && cp -a "$site" "$stage/orbitra-$version-web" &&
    reproducible_zip "$out/orbitra-$version-web.zip" "$stage/orbitra-$version-web" &&
    cp "$site/orbitra.html" "$out/orbitra-$version.html"
}

case "${1:-}" in
  build) build_site ;;
  serve) build_site; exec node $here/serve.mjs "$site" "${2:-8080}" ;;
  test | release-check) run_test ;;
  release) release "$2" ;;
  *) echo "usage: $0 build|serve [port]|test|release OUT|release-check OUT" >&2; exit 2 ;;
esac
