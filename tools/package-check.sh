#!/usr/bin/env bash
# The Debian package on a fresh machine: builds orbitra_<version>_<arch>.deb with CPack, installs
# it with apt into a clean Debian 12 chroot (a minimal base system and nothing else, so every
# library must come through the package's declared dependencies), starts the installed intro
# from / under a virtual X server, ends it with Escape, checks that its launcher picks the SDL 1.2
# compatibility library (installed as recommended) and the classic library once that is removed,
# then removes the package and checks that nothing of it is left. Slow, so it is a CI step of its own rather than a CTest test.
#
# Usage (as root): tools/package-check.sh [build-dir]       (default: build)
# Needs debootstrap, Xvfb, xdotool, x11-utils and imagemagick on the host. The base system is
# made once with debootstrap and kept as a tarball in $ORBITRA_CHROOT_CACHE (default
# /var/cache/orbitra-package-check); every run unpacks a fresh copy of it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
# shellcheck source=lib/packages.sh
. "$root/tools/lib/packages.sh"
mirror=${ORBITRA_MIRROR:-$(debian_archive | head -n1)}
cache=${ORBITRA_CHROOT_CACHE:-/var/cache/orbitra-package-check}
base="$cache/bookworm-minbase.tar"

say() { echo "package-check: $*" >&2; }
fail() { say "FAIL: $*"; exit 1; }
[ "$(id -u)" = 0 ] || fail "run as root (debootstrap and chroot need it)"
for tool in cmake cpack dpkg-deb debootstrap Xvfb xdotool xdpyinfo import convert; do
  command -v "$tool" >/dev/null || fail "$tool is missing"
done

work=$(mktemp -d /var/tmp/orbitra-package-check.XXXXXX)
chroot="$work/root"
cleanup() {
  [ -n "${intro:-}" ] && kill "$intro" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  for mount in "$chroot/tmp/.X11-unix" "$chroot/proc"; do
    mountpoint -q "$mount" 2>/dev/null && umount "$mount"
  done
  rm -rf "$work"
}
trap cleanup EXIT
phase_start=$SECONDS
phase() { say "$1 ($((SECONDS - phase_start)) s)"; phase_start=$SECONDS; }

# --- The package ------------------------------------------------------------------------------
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 >/dev/null
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) ||
  fail "cpack failed: $(cat "$work/cpack.log")"
shopt -s nullglob
debs=("$work"/package/orbitra_*.deb)
[ ${#debs[@]} = 1 ] || fail "expected one orbitra_*.deb, found ${#debs[@]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "orbitra_${version}_${arch}.deb" ] || fail "unexpected name $(basename "$deb")"
[ "$arch" = "$(dpkg --print-architecture)" ] || fail "package for $arch built on $(dpkg --print-architecture)"
say "built $(basename "$deb"), Depends: $(dpkg-deb -f "$deb" Depends)"
phase "package built"

# --- A fresh Debian 12 ------------------------------------------------------------------------
if [ ! -f "$base" ]; then
  mkdir -p "$cache"
  debootstrap --variant=minbase bookworm "$work/base" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    fail "debootstrap failed: $(tail -5 "$work/debootstrap.log")"
  tar -C "$work/base" -cf "$base.part" . && mv "$base.part" "$base"
  rm -rf "$work/base"
  phase "base system made and cached in $base"
fi
mkdir "$chroot"
tar -C "$chroot" -xf "$base"
cp /etc/resolv.conf "$chroot/etc/resolv.conf"
mount -t proc proc "$chroot/proc"
mkdir -p "$chroot/tmp/.X11-unix" /tmp/.X11-unix
mount --bind /tmp/.X11-unix "$chroot/tmp/.X11-unix"
cp "$deb" "$chroot/tmp/"
in_chroot() { # shellcheck disable=SC2016 # $0 is expanded by the shell inside the chroot
chroot "$chroot" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin:/usr/games HOME=/root \
  DEBIAN_FRONTEND=noninteractive "$@"; }
phase "fresh chroot unpacked"

# --- Install as a user would ------------------------------------------------------------------
in_chroot apt-get update >"$work/apt.log" 2>&1 || fail "apt-get update: $(tail -5 "$work/apt.log")"
in_chroot apt-get install -y "/tmp/$(basename "$deb")" >"$work/apt.log" 2>&1 ||
  fail "apt install of the package failed: $(tail -20 "$work/apt.log")"
in_chroot dpkg -s orbitra 2>/dev/null | grep -qx 'Status: install ok installed' || fail "orbitra is not installed"
[ -x "$chroot/usr/games/orbitra" ] || fail "no /usr/games/orbitra"
say "installed with $(grep -c '^Setting up' "$work/apt.log") packages set up"
phase "installed with apt"

# --- Run it from / as the menu would ----------------------------------------------------------
# shellcheck source=tests/lib/xdisplay.sh
source "$root/tests/lib/xdisplay.sh"
start_virtual_display 1024x768
display=$DISPLAY

exec_line=$(sed -n 's/^Exec=//p' "$chroot/usr/share/applications/io.github.orbitra.Orbitra.desktop" | head -1)
[ "$exec_line" = /usr/games/orbitra ] || fail "the menu entry runs '$exec_line'"
# shellcheck disable=SC2016 # $0 is expanded by the shell inside the chroot
chroot "$chroot" env -i DISPLAY="$display" SDL_AUDIODRIVER=dummy HOME=/root \
  sh -c 'cd / && exec "$0"' "$exec_line" 2>"$work/stderr" &
intro=$!
wait_for_intro_window "$intro"
sdl=$(grep -o '[^ ]*libSDL-1\.2\.so[^ ]*' "/proc/$intro/maps" | head -1 || true)
sleep 4
import -window "$window" "$work/shot.png" || fail "no screenshot"
[ -n "${ORBITRA_SCREENSHOT:-}" ] && cp "$work/shot.png" "$ORBITRA_SCREENSHOT"
colours=$(convert "$work/shot.png" -format '%k' info:)
[ "$colours" -gt 16 ] || fail "the window shows only $colours colours"
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
escape_ends_intro "$intro"
intro=""
case "$sdl" in */sdl12-compat/*) ;; *) fail "the intro ran on ${sdl#"$chroot"}, not the compatibility library" ;; esac
say "ran from /: ${size} window, $colours colours, Escape gave status 0; SDL from ${sdl#"$chroot"}"

in_chroot apt-get remove -y libsdl1.2-compat >"$work/apt.log" 2>&1 || fail "removing the compatibility library failed: $(tail -5 "$work/apt.log")"
chroot "$chroot" env -i SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy sh -c 'cd / && exec /usr/games/orbitra' \
  2>"$work/stderr" &
intro=$!
sdl=""
for _ in $(seq 100); do
  sdl=$(grep -o '[^ ]*libSDL-1\.2\.so[^ ]*' "/proc/$intro/maps" 2>/dev/null | head -1 || true)
  [ -n "$sdl" ] && break
  sleep 0.1
done
kill "$intro" 2>/dev/null || true
wait "$intro" 2>/dev/null || true
intro=""
case "$sdl" in */sdl12-compat/* | "") fail "without the compatibility library the intro ran on '${sdl#"$chroot"}': $(cat "$work/stderr")" ;; esac
say "without the compatibility library: SDL from ${sdl#"$chroot"}"
phase "ran"

# --- Remove it --------------------------------------------------------------------------------
in_chroot apt-get purge -y orbitra >"$work/apt.log" 2>&1 || fail "apt purge failed: $(tail -5 "$work/apt.log")"
for path in usr/games/orbitra usr/games/orbitra-capture usr/lib/games/orbitra usr/share/games/orbitra usr/share/doc/orbitra \
  usr/share/applications/io.github.orbitra.Orbitra.desktop usr/share/man/man6/orbitra.6.gz; do
  [ ! -e "$chroot/$path" ] || fail "left behind after purge: /$path"
done
phase "removed, nothing left"
say "OK"
