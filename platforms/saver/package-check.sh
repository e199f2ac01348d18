#!/usr/bin/env bash
# The saver's Debian package on a fresh machine: installs it and the intro's package with apt
# into a minimal Debian 12 system, with XScreenSaver from Debian; there the unprivileged user
# nobody, whose ~/.xscreensaver lists only the README's line for it, starts XScreenSaver on a
# virtual X server of this machine and activates it. The screen must be the intro's picture
# enlarged 4 times, centred on black, drawn by the installed hack run as nobody. Then both
# packages are purged and nothing of them may be left.
# Usage (as root): platforms/saver/package-check.sh ORBITRA.deb ORBITRA-SAVER.deb
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
say() { echo "saver package-check: $*" >&2; }
fail() { say "FAIL: $*"; exit 1; }
[ $# = 2 ] && [ -f "$1" ] && [ -f "$2" ] || fail "usage: $0 ORBITRA.deb ORBITRA-SAVER.deb"
[ "$(id -u)" = 0 ] || fail "run as root (debootstrap and chroot need it)"
# shellcheck source=../lib/chroot.sh
. "$here/../lib/chroot.sh"
# shellcheck source=../lib/xdisplay.sh
. "$here/../lib/xdisplay.sh"
# shellcheck source=xscreensaver.sh
. "$here/xscreensaver.sh"
need_packages xvfb x11-utils x11-xserver-utils imagemagick || fail "cannot install the X tools"
hack=/usr/libexec/xscreensaver/orbitra-saver settings=/usr/share/xscreensaver/config/orbitra.xml

work=$(mktemp -d /var/tmp/orbitra-saver-check.XXXXXX)
sys=$work/root
cleanup() {
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  chroot_remove "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
started=$SECONDS

chroot_make "$sys" bookworm "$(dpkg --print-architecture)" || fail "cannot make a Debian 12 system"
say "fresh system ($((SECONDS - started)) s)"
chroot_install "$sys" "$work/apt.log" "$1" "$2" xscreensaver ||
  fail "apt install of the packages failed: $(tail -20 "$work/apt.log")"
say "installed with $(grep -c '^Setting up' "$work/apt.log") packages set up ($((SECONDS - started)) s)"
for path in "$hack" "$settings"; do
  [ -f "$sys$path" ] || fail "the packages did not install $path"
done

# The user's choice, as the README says it: its line for the hack, the only one in the list.
line=$(sed -n 's/^ *\("Orbitra" .*\)$/\1/p' "$here/README.md")
[ -n "$line" ] || fail "the README gives no line to choose the hack"
mkdir -p "$sys/tmp/home"
xscreensaver_settings "$line" >"$sys/tmp/home/.xscreensaver"
chown -R 65534:65534 "$sys/tmp/home"
start_virtual_display 1920x1080
xhost +SI:localuser:nobody >/dev/null || fail "xhost failed"
as_nobody() {
  CHROOT_BINDS=/tmp/.X11-unix chroot_run "$sys" setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env HOME=/tmp/home DISPLAY="$DISPLAY" "$@"
}
xscreensaver_activate "$work/xscreensaver.log" as_nobody

# The hack running: the installed file, as nobody.
sleep 2
running=""
for pid in $(pgrep -x orbitra-saver); do
  [ "$(readlink "/proc/$pid/root")" = "$(realpath "$sys")" ] && running=$pid
done
[ -n "$running" ] || fail "xscreensaver ran no orbitra-saver: $(tail -n 5 "$work/xscreensaver.log")"
[ "$(stat -L -c %d:%i "/proc/$running/exe")" = "$(stat -c %d:%i "$sys$hack")" ] ||
  fail "the running orbitra-saver is not $hack"
[ "$(stat -c %u "/proc/$running")" = 65534 ] || fail "the hack does not run as nobody"

# The clock runs free, so each screenshot is some frame: enlarged 4 times (each 4x4 block one
# colour) at 320,60, black around it, and in colour; over the shots the picture reaches each
# edge of its box, so that it is neither moved nor cut.
edges=""
for shot in 1 2 3 4 5; do
  sleep 1
  import -window root "$work/shot$shot.png" || fail "no screenshot of the screen"
  [ -z "${ORBITRA_SCREENSHOTS:-}" ] || cp "$work/shot$shot.png" "$ORBITRA_SCREENSHOTS/saver-package-$shot.png"
  around=$(convert "$work/shot$shot.png" -fill black -draw 'rectangle 320,60 1599,1019' -format '%[max]' info:)
  [ "$around" = 0 ] || fail "screenshot $shot is not black around 1280x960 at 320,60"
  convert "$work/shot$shot.png" -crop 1280x960+320+60 +repage "$work/box.png"
  blocks=$(convert "$work/box.png" -sample 320x240 -sample 1280x960 "$work/box.png" -metric AE -compare -format '%[distortion]' info:)
  [ "$blocks" = 0 ] || fail "screenshot $shot: the picture is not enlarged 4 times ($blocks pixels differ)"
  colours=$(convert "$work/box.png" -format '%k' info:)
  [ "$colours" -gt 16 ] || fail "screenshot $shot shows only $colours colours"
  for edge in 4x960+0+0 4x960+1276+0 1280x4+0+0 1280x4+0+956; do
    [ "$(convert "$work/box.png" -crop "$edge" -format '%[max]' info:)" = 0 ] || edges+=" $edge"
  done
done
[ "$(tr ' ' '\n' <<<"$edges" | sort -u | grep -c .)" = 4 ] || fail "the picture never reaches some edge of its box"
as_nobody xscreensaver-command -exit >/dev/null
say "xscreensaver ran $hack as nobody: the intro 4 times at 320,60, black around ($((SECONDS - started)) s)"

chroot_run "$sys" apt-get purge -y orbitra-saver orbitra >"$work/apt.log" 2>&1 ||
  fail "apt purge failed: $(tail -5 "$work/apt.log")"
for path in "$hack" "$settings" /usr/share/doc/orbitra-saver /usr/share/doc/orbitra /usr/share/games/orbitra; do
  [ ! -e "$sys$path" ] || fail "left behind after purge: $path"
done
say "OK: purged, nothing left ($((SECONDS - started)) s)"
