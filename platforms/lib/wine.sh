# shellcheck shell=bash
# Sourced by the checks that run a Windows build under Wine. Each caller defines fail().
# shellcheck source=../lib/xdisplay.sh
source "$(dirname "${BASH_SOURCE[0]}")/xdisplay.sh"

# wine_desktop BUILD ROOT FRAMETOOL COMPARE: the check's arguments as build, root, frametool and
# compare (the Windows build folder, the repository root, the native frame tool, the comparer),
# from the root a work folder $work, home to a Wine prefix of its own, on a 1920x1080 virtual
# desktop; on the way out every process in pids and Wine's are killed and the folder removed.
wine_desktop() {
  # shellcheck disable=SC2034 # read by the check that calls it
  build=$1 root=$2 frametool=$3 compare=$4
  cd "$root" || fail "no repository root"
  work=$(mktemp -d)
  pids=()
  # The shell's notices of the helpers it kills on the way out say nothing.
  trap 'exec 2>/dev/null; kill -KILL "${pids[@]}"; wineserver -k; rm -rf "$work"' EXIT
  export HOME=$work WINEPREFIX=$work/wine WINEARCH=win64 WINEDEBUG=-all LC_ALL=C.UTF-8
  # No .NET or browser engine to offer to install.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  start_desktop
  wineboot -i >"$work/wineboot.log" 2>&1 || fail "no Wine prefix: $(tail -3 "$work/wineboot.log")"
  # Wine finishes its own background work between runs, or a later run meets a half-set prefix.
  wineserver -w
}
