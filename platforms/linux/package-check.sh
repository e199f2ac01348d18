#!/usr/bin/env bash
# A Debian package of the intro on a fresh machine of its architecture: installs it with apt
# into a minimal Debian 12 system (the architecture's through qemu when foreign, so every
# library must come through the package's declared dependencies), checks the installed capture
# tool's --verify and that the intro started from / keeps running and says nothing, then purges
# the package and checks that nothing of it is left. On this machine's own architecture it also
# starts the intro as the menu would under a virtual X server, ends it with Escape, and checks
# that its launcher picks the SDL 1.2 compatibility library (installed as recommended) and the
# classic library once that is removed.
# Usage (as root): platforms/linux/package-check.sh ARCH PACKAGE.deb
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../lib/binfmt.sh
. "$root/platforms/lib/binfmt.sh"
# A foreign system runs through binfmt_misc for as long as the check runs.
binfmt_hold "$@"
arch=${1:-} deb=$(realpath -e "${2:-}" 2>/dev/null)
say() { echo "package-check: $*" >&2; }
fail() { say "FAIL: $*"; exit 1; }
[ -n "$arch" ] && [ -f "$deb" ] || fail "usage: $0 ARCH PACKAGE.deb"
[ "$(id -u)" = 0 ] || fail "run as root (debootstrap and chroot need it)"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "$(basename "$deb") is not for $arch"
# shellcheck source=../lib/chroot.sh
. "$root/platforms/lib/chroot.sh"
native=$([ "$arch" = "$(dpkg --print-architecture)" ] && echo yes)
[ -z "$native" ] || need_packages xvfb xdotool x11-utils imagemagick || fail "cannot install the X tools"
[ -n "$native" ] || { need_packages qemu-user-static "libc6-$arch-cross" && binfmt_qemu "$arch"; } ||
  fail "$arch programs do not start through qemu and binfmt_misc"

work=$(mktemp -d /var/tmp/orbitra-package-check.XXXXXX)
sys=$work/root
cleanup() {
  [ -n "${intro:-}" ] && kill "$intro" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  chroot_remove "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
phase_start=$SECONDS
phase() { say "$1 ($((SECONDS - phase_start)) s)"; phase_start=$SECONDS; }

chroot_make "$sys" bookworm "$arch" || fail "cannot make a Debian 12 $arch system"
in_chroot() { chroot_run "$sys" "$@"; }
in_chroot true || fail "the $arch system does not run"
phase "fresh $arch system"

# --- Install as a user would ------------------------------------------------------------------
chroot_install "$sys" "$work/apt.log" "$deb" || fail "apt install of the package failed: $(tail -20 "$work/apt.log")"
# shellcheck disable=SC2016 # dpkg-query's own fields
version=$(in_chroot dpkg-query -W -f='${Version} ${Architecture}' orbitra) || fail "orbitra is not installed"
say "installed orbitra $version with $(grep -c '^Setting up' "$work/apt.log") packages set up"
in_chroot sh -c 'cd / && /usr/games/orbitra-capture --verify' 2>"$work/verify" ||
  fail "the installed capture tool's --verify: $(head -3 "$work/verify")"
say "$(cat "$work/verify")"
# Headless, from a directory without res/: after five seconds it must still be running
# (timeout's 124) and have said nothing.
in_chroot env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy HOME=/tmp sh -c \
  'cd / && timeout 5 /usr/games/orbitra' >/dev/null 2>"$work/run.err"
status=$?
[ "$status" -eq 124 ] && [ ! -s "$work/run.err" ] ||
  fail "the installed intro ended with status $status: $(head -5 "$work/run.err")"
phase "installed, verified and ran"

# --- Run it from / as the menu would ----------------------------------------------------------
# The SDL 1.2 library the intro has mapped, as seen from this machine: in the process started
# or one below it.
intro_sdl() {
  local pid
  grep -o '[^ ]*libSDL-1\.2\.so[^ ]*' "/proc/$1/maps" 2>/dev/null | head -1
  for pid in $(pgrep -P "$1"); do intro_sdl "$pid"; done
}
if [ -n "$native" ]; then
  # shellcheck source=../lib/xdisplay.sh
  source "$root/platforms/lib/xdisplay.sh"
  start_virtual_display 1024x768
  exec_line=$(sed -n 's/^Exec=//p' "$sys/usr/share/applications/io.github.orbitra.Orbitra.desktop" | head -1)
  [ "$exec_line" = /usr/games/orbitra ] || fail "the menu entry runs '$exec_line'"
  # shellcheck disable=SC2016 # $0 is expanded by the shell inside the chroot
  CHROOT_BINDS=/tmp/.X11-unix start_intro in_chroot env DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy \
    sh -c 'cd / && exec "$0"' "$exec_line"
  sdl=$(intro_sdl "$intro" | head -1)
  sleep 4
  import -window "$window" "$work/shot.png" || fail "no screenshot"
  colours=$(convert "$work/shot.png" -format '%k' info:)
  [ "$colours" -gt 16 ] || fail "the window shows only $colours colours"
  size=$(window_size)
  escape_ends_intro "$intro"
  intro=""
  case "$sdl" in */sdl12-compat/*) ;; *) fail "the intro ran on ${sdl#"$sys"}, not the compatibility library" ;; esac
  say "ran from /: ${size} window, $colours colours, Escape gave status 0; SDL from ${sdl#"$sys"}"

  in_chroot apt-get remove -y libsdl1.2-compat >"$work/apt.log" 2>&1 ||
    fail "removing the compatibility library failed: $(tail -5 "$work/apt.log")"
  in_chroot env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy sh -c 'cd / && exec /usr/games/orbitra' \
    2>"$work/stderr" &
  intro=$!
  for _ in $(seq 100); do
    sdl=$(intro_sdl "$intro" | head -1)
    [ -n "$sdl" ] && break
    sleep 0.1
  done
  { kill "$intro" && wait "$intro"; } 2>/dev/null
  intro=""
  case "$sdl" in */sdl12-compat/* | "") fail "without the compatibility library the intro ran on '${sdl#"$sys"}': $(cat "$work/stderr")" ;; esac
  say "without the compatibility library: SDL from ${sdl#"$sys"}"
  phase "ran in a window on both libraries"
fi

# --- Remove it --------------------------------------------------------------------------------
in_chroot apt-get purge -y orbitra >"$work/apt.log" 2>&1 || fail "apt purge failed: $(tail -5 "$work/apt.log")"
for path in usr/games/orbitra usr/games/orbitra-capture usr/lib/games/orbitra usr/share/games/orbitra usr/share/doc/orbitra \
  usr/share/applications/io.github.orbitra.Orbitra.desktop usr/share/man/man6/orbitra.6.gz; do
  [ ! -e "$sys/$path" ] || fail "left behind after purge: /$path"
done
phase "removed, nothing left"
say "OK: orbitra $version"
