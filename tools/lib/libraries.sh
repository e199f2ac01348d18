# Sourced by tools/web.sh, tools/windows.sh and tools/portmaster.sh: a platform's libraries, built by
# deps/build-libs.sh from the pinned Debian source packages, cached outside the work tree.
#   build_libraries PLATFORM CACHE sets libs to CACHE/libs-<key>, building it when absent; the
#                                  key is taken over the pinned versions, the compiler and the
#                                  library build's own files for that platform (SDL's
#                                  configuration among them), so only the first build on a
#                                  machine compiles them. The drivers of the browser and the
#                                  port are not in it: their programs' builds compile them.
# Run from the repository root.

# shellcheck source=sources.sh
. "$(dirname "${BASH_SOURCE[0]}")/sources.sh"

build_libraries() {
  local platform=$1 cache=$2 compiler key
  case "$platform" in
    web) compiler=$(emcc --version | sed -n 1p) ;;
    windows) compiler=$(x86_64-w64-mingw32-gcc-posix --version | sed -n 1p) ;;
    port-arm64) compiler=$(port/toolchain/aarch64-linux-gnu-gcc --version | sed -n 1p) ;;
    port-armhf) compiler=$(port/toolchain/arm-linux-gnueabihf-gcc --version | sed -n 1p) ;;
  esac
  key=$({
    pinned_sources_key
    echo "$compiler"
    cat deps/build-libs.sh deps/CMakeLists.txt deps/config/mikmod/*
    if [ "$platform" = windows ]; then
      cat deps/config/windows/* cmake/toolchains/x86_64-w64-mingw32.cmake
    else
      cat platforms/sdl/SDL_config.h
    fi
    if [ "${platform%-*}" = port ]; then cat cmake/toolchains/port*.cmake; fi
  } | sha256sum | cut -c1-16)
  libs=$cache/libs-$key
  if [ -f "$libs/lib/libSDL.a" ]; then
    echo "$platform: libraries from the cache ($libs)" >&2
    return 0
  fi
  echo "$platform: building the libraries into $libs (a few minutes, once per machine)" >&2
  deps/build-libs.sh "$platform" "$libs"
}
