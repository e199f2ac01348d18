#!/usr/bin/env bash
# The hack on a virtual 1920x1080 display. test: XScreenSaver, run by an unprivileged user with
# only this hack, shows it full screen, enlarged 4 times and centred; in a window it is given
# (-window-id) the hack fills 160x120 with the picture halved, then follows the window to
# 200x150 (halved, centred) and 1280x960, on both SDL 1.2 libraries (the classic one on a
# display without shared memory); it opens no sound;
# SIGTERM, and the window going, end it within a second; -window opens a 640x480 window of
# its own. Each picture is the capture tool's frame for the same tick (the clock held still by
# the probe). bench: the share of one processor the free-running hack takes in 60 s.
# Arguments: test|bench, the hack, the capture tool, the comparer, the probe shim.
set -u
verb=$1 saver=$2 frametool=$3 compare=$4 probe=$5
work=$(mktemp -d)
chmod 755 "$work"
pids=()
trap 'exec 2>/dev/null; kill -KILL "${pids[@]}"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# shellcheck source=../lib/xdisplay.sh
source "$(dirname "$0")/../lib/xdisplay.sh"
# shellcheck source=xscreensaver.sh
source "$(dirname "$0")/xscreensaver.sh"
start_virtual_display 1920x1080
pids+=("$xvfb")

# processor_ticks PID: the user and system time the process has taken, in clock ticks.
processor_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

if [ "$verb" = bench ]; then
  "$saver" -root 2>"$work/stderr" &
  pids+=($!)
  sleep 5
  before=$(processor_ticks $!) server_before=$(processor_ticks "$xvfb")
  sleep 60
  after=$(processor_ticks $!) server_after=$(processor_ticks "$xvfb")
  hz=$(getconf CLK_TCK)
  echo "orbitra-saver -root at 1920x1080 (1280x960 picture): $(((after - before) * 1000 / (60 * hz))) per" \
    "mille of one processor over 60 s; the X server drawing it: $(((server_after - server_before) * 1000 / (60 * hz))) per mille"
  exit 0
fi

"$frametool" --quiet --start 5000 --shot 5000 --shot-dir "$work" >/dev/null 2>&1 || fail "the frame tool failed"
frame=$work/frame-5000.png
# Held between two steps of 20 ms, the clock shows the frame of the step it is in.
held=(env LD_PRELOAD="$probe" ORBITRA_PROBE_TICK=5010 "$saver")

# shot NAME TARGET X Y W H: a screenshot of TARGET (a window or root) is, within 5 s, the frame
# scaled to W x H at X,Y and black around it.
shot() {
  local _
  for _ in $(seq 10); do
    import -window "$2" "$work/$1" || fail "no screenshot of $2"
    "$compare" "$work/$1" "$frame" "${@:3}" every >"$work/compare.txt" 2>&1 && break
    sleep 0.5
  done
  [ -z "${ORBITRA_SCREENSHOTS:-}" ] || cp "$work/$1" "$ORBITRA_SCREENSHOTS/$1"
  grep -q ' 0 differ' "$work/compare.txt" ||
    fail "$1 is not the frame scaled to $5x$6 at $3,$4: $(paste -sd' ' "$work/compare.txt")"
}

# ends_within_a_second PID WHAT: the process ends within a second, with status 0.
ends_within_a_second() {
  local _ status=0
  for _ in $(seq 10); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && fail "the hack did not end within a second of $2"
  wait "$1" || status=$?
  [ "$status" = 0 ] || fail "the hack ended with status $status after $2: $(tail -n 3 "$work/stderr")"
}

"$saver" -window-id 2>/dev/null
[ $? = 2 ] || fail "-window-id without a window was not refused as a usage error"
# Its own window, when asked for one: 640x480, the frame twice at 0,0.
"${held[@]}" -window 2>"$work/stderr" &
hack=$!
pids+=("$hack")
wait_for_intro_window "$hack"
sleep 1
shot own-window.png "$window" 0 0 640 480
kill -TERM "$hack"
ends_within_a_second "$hack" SIGTERM

# XScreenSaver launches no hack as root: it runs as nobody, with a home of its own here, allowed
# on the display, and its one hack is the held-clock run of this one.
# nobody may not enter the build's folders (a checkout in root's home): the hack, the probe and
# the intro's files are copied into the check's own folder, and the hack starts there.
home=$work/home
mkdir "$home" "$work/user"
cp "$saver" "$probe" "$work/user/" && cp -r "$(dirname "$0")/../../res" "$work/user/res" ||
  fail "cannot copy the hack for nobody"
chmod -R a+rX "$work/user"
user_saver=$work/user/$(basename "$saver")
user_held=(env -C "$work/user" LD_PRELOAD="$work/user/$(basename "$probe")" ORBITRA_PROBE_TICK=5010
  "$user_saver")
xscreensaver_settings "${user_held[*]} --root \\n" >"$home/.xscreensaver"
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown -R nobody:nogroup "$home"
  xhost +SI:localuser:nobody >/dev/null || fail "xhost failed"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
xscreensaver_activate "$work/xscreensaver.log" "${as_user[@]}" env HOME="$home"
pids+=("$xscreensaver")
sleep 3
pgrep -f "$user_saver --root" >/dev/null || fail "xscreensaver did not run the hack: $(tail -n 5 "$work/xscreensaver.log")"
shot xscreensaver.png root 320 60 1280 960
"${as_user[@]}" env HOME="$home" xscreensaver-command -exit >/dev/null

# A window of this check's own, white, shown until the helper is killed; prints its id.
make_window() {
  python3 -c '
import ctypes, sys, time
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
x.XCreateSimpleWindow.restype = ctypes.c_ulong
x.XMapWindow.argtypes = x.XFlush.argtypes = x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
d = x.XOpenDisplay(None)
w = x.XCreateSimpleWindow(d, x.XDefaultRootWindow(d), 0, 0, int(sys.argv[1]), int(sys.argv[2]), 0, 0xffffff, 0xffffff)
x.XMapWindow(d, w)
x.XSync(d, 0)
print(w, flush=True)
time.sleep(600)
' "$@" >"$work/window" &
  helper=$!
  pids+=("$helper")
  for _ in $(seq 50); do [ -s "$work/window" ] && break; sleep 0.1; done
  window=$(cat "$work/window")
  [ -n "$window" ] || fail "no window of the check's own"
}

# Sound would be written to this file, were it opened.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound.raw
classic="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)"
for library in compat classic; do
  libraries=()
  if [ $library = classic ]; then
    libraries=(env LD_LIBRARY_PATH="$classic")
    # And on a display without shared memory, which gets each frame through the connection.
    # The old server gone, and its display number with it, before the new one says its own.
    kill "$xvfb"
    wait "$xvfb" 2>/dev/null
    rm -f "$work/display"
    start_virtual_display 1920x1080 -extension MIT-SHM
    pids+=("$xvfb")
  fi
  make_window 160 120
  "${libraries[@]}" "${held[@]}" -window-id "$window" 2>"$work/stderr" &
  hack=$!
  pids+=("$hack")
  sleep 2
  shot "window-160-$library.png" "$window" 0 0 160 120
  # Halved and centred, not cut, where a half is what fits.
  xdotool windowsize "$window" 200 150
  sleep 1
  shot "window-200-$library.png" "$window" 20 15 160 120
  xdotool windowsize "$window" 1280 960
  sleep 1
  shot "window-1280-$library.png" "$window" 0 0 1280 960
  if [ $library = compat ]; then
    kill -TERM "$hack"
    ends_within_a_second "$hack" SIGTERM
    kill "$helper"
  else
    kill "$helper"
    ends_within_a_second "$hack" "its window went"
  fi
done
[ -e "$SDL_DISKAUDIOFILE" ] && fail "the hack opened the sound device"
echo "xscreensaver ran the hack as nobody: 4x and centred at 1920x1080; into a window 1/2 at" \
  "160x120 and 4x at 1280x960 on both SDL 1.2 libraries; no sound; SIGTERM and the window's end" \
  "ended it within a second"
