# shellcheck shell=bash
# Sourced by the scripts that compare a build's frames with this machine's.
#   native_tool [TARGET...]  builds the plain preset's capture tool (and the named targets)
#                            when needed and prints the tool's path
native_tool() {
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  (
    cd "$root" && tools/install-deps.sh run &&
      { [ -f build/CMakeCache.txt ] || cmake --preset plain >/dev/null; } &&
      cmake --build --preset plain -j"$(nproc)" --target orbitra-capture "$@" >/dev/null
  ) >&2 || return 1
  echo "$root/build/orbitra-capture"
}
