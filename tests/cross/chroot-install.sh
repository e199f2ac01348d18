#!/usr/bin/env bash
# Installs an ARM package of the intro into a minimal Debian system of that architecture, run
# under qemu through binfmt_misc, and starts it: apt must find every dependency the package
# names, and the installed program must start, find its files and keep drawing; the installed
# capture tool must hash the first second's golden frames.
# The base system is made once with debootstrap and kept; each check works on a fresh copy.
# Arguments: the architecture (arm64|armhf), the .deb. As root.
set -uo pipefail
exec 1>&2
arch=$1 deb=$2
base=${ORBITRA_CHROOT_DIR:-/var/tmp/orbitra-chroot}/$arch
work=$base.check
fail() { echo "FAIL: $*"; exit 1; }

# shellcheck source=../../tools/lib/packages.sh
. "$(dirname "$0")/../../tools/lib/packages.sh"
if [ ! -x "$base/usr/bin/apt-get" ]; then
  need_packages debootstrap || fail "cannot install debootstrap"
  rm -rf "$base"
  mkdir -p "$(dirname "$base")" || fail "cannot make $(dirname "$base")"
  debootstrap --arch="$arch" --variant=minbase bookworm "$base" "$(debian_archive | head -n1)" \
    >"$base.log" 2>&1 || { tail -5 "$base.log"; rm -rf "$base"; fail "debootstrap failed"; }
fi

cleanup() {
  umount "$work/proc" "$work/dev" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cleanup
cp -a "$base" "$work" || fail "cannot copy the base system"
mount -t proc proc "$work/proc" && mount --bind /dev "$work/dev" || fail "cannot mount /proc and /dev"
cp "$deb" "$work/tmp/" || fail "no package $deb"
in_chroot() { chroot "$work" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin "$@"; }

in_chroot true || fail "the $arch system does not run: is qemu registered with binfmt_misc?"
in_chroot apt-get update -qq || fail "apt-get update failed in the chroot"
in_chroot env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "/tmp/$(basename "$deb")" >"$work/install.log" 2>&1 ||
  { tail -20 "$work/install.log"; fail "the package did not install"; }
# shellcheck disable=SC2016 # dpkg-query's own fields
version=$(in_chroot dpkg-query -W -f='${Version} ${Architecture}' orbitra) ||
  fail "orbitra is not installed"

# Headless, from a directory without res/: after five seconds it must still be running
# (timeout's 124) and have said nothing.
in_chroot env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy HOME=/tmp sh -c \
  'cd / && timeout 5 /usr/games/orbitra' >"$work/run.out" 2>"$work/run.err"
status=$?
[ "$status" -eq 124 ] && [ ! -s "$work/run.err" ] ||
  fail "the installed intro ended with status $status: $(head -5 "$work/run.err")"
in_chroot sh -c 'cd / && /usr/games/orbitra-capture --verify' 2>"$work/verify" ||
  fail "the installed capture tool's --verify: $(head -3 "$work/verify")"
echo "orbitra $version installed with its dependencies in a Debian $arch system, ran, $(sed "s/^orbitra-capture: //" "$work/verify")"
