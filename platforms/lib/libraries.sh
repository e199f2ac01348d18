# shellcheck shell=bash
# Sourced by the platform scripts whose libraries are built by deps/build-libs.sh from the
# pinned Debian source packages, cached outside the work tree.
#   build_libraries NAME CACHE COMPILER CONFIGURE...   sets libs to CACHE/libs-<key>, building
#                     it when absent: NAME and CONFIGURE as deps/build-libs.sh takes them,
#                     COMPILER the platform's C compiler. The key is taken over the pinned
#                     versions, the compiler's version, the library build's own files, the
#                     platform's config/, the memory drivers' SDL configuration (platforms/sdl/)
#                     and the files CONFIGURE names, so only the first build on a machine
#                     compiles them. The drivers are not in it: the programs' builds compile them
# Run from the repository root.

# shellcheck source=sources.sh
. "$(dirname "${BASH_SOURCE[0]}")/sources.sh"

build_libraries() {
  local name=$1 cache=$2 compiler=$3 key arg
  shift 3
  key=$({
    pinned_sources_key
    "$compiler" --version | sed -n 1p
    cat deps/build-libs.sh deps/CMakeLists.txt deps/config/mikmod/* "platforms/${name%%-*}/config"/* \
      platforms/sdl/SDL_config.h
    for arg; do [ ! -f "${arg#*=}" ] || cat "${arg#*=}"; done
  } | sha256sum | cut -c1-16)
  libs=$cache/libs-$key
  if [ -f "$libs/lib/libSDL.a" ]; then
    echo "$name: libraries from the cache ($libs)" >&2
    return 0
  fi
  echo "$name: building the libraries into $libs (a few minutes, once per machine)" >&2
  deps/build-libs.sh "$name" "$libs" "$@"
}
