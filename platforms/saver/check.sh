#!/usr/bin/env bash
# The hack on a virtual 1920x1080 display. test: XScreenSaver, run by an unprivileged user with
# only this hack, shows it full screen, enlarged 4 times and centred; in a window it is given
# (-window-id) the hack fills 160x120 with the picture halved, then follows the window to sizes
# a half fits (centred) and 1280x960, on both SDL 1.2 libraries (the classic one on a display
# without shared memory); it opens no sound; SIGTERM, WM_DELETE_WINDOW and the window going end
# it within a second; -window opens a 640x480 window of its own; bad command lines, and
# displays it cannot draw on, end it with its statuses. Each picture is the capture tool's frame for the same tick (the clock held still by
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

# xlib make W H: a window of this check's own, white, shown until the helper is killed; its id
# in $window. xlib tell WINDOW ATOM: sends the window its window manager's message ATOM.
xlib() {
  rm -f "$work/window"
  python3 -c '
import ctypes, sys, time
x = ctypes.cdll.LoadLibrary("libX11.so.6")
p, u, i = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
x.XOpenDisplay.restype = p
x.XDefaultRootWindow.argtypes, x.XDefaultRootWindow.restype = [p], u
x.XCreateSimpleWindow.argtypes = [p, u] + [i] * 2 + [ctypes.c_uint] * 3 + [u] * 2
x.XCreateSimpleWindow.restype = x.XInternAtom.restype = u
x.XInternAtom.argtypes, x.XSendEvent.argtypes = [p, ctypes.c_char_p, i], [p, u, i, ctypes.c_long, p]
x.XMapWindow.argtypes = x.XSync.argtypes = [p, u]
d = x.XOpenDisplay(None)
if sys.argv[1] == "make":
  w = x.XCreateSimpleWindow(d, x.XDefaultRootWindow(d), 0, 0, int(sys.argv[2]), int(sys.argv[3]), 0, 0xffffff, 0xffffff)
  x.XMapWindow(d, w)
else:
  w, atom = int(sys.argv[2]), lambda name: x.XInternAtom(d, name.encode(), 0)
  # An XClientMessageEvent: type, serial, send_event, display, window, message_type, format, data.
  x.XSendEvent(d, w, 0, 0, (ctypes.c_long * 24)(33, 0, 1, 0, w, atom("WM_PROTOCOLS"), 32, atom(sys.argv[3])))
x.XSync(d, 0)
print(w, flush=True)
time.sleep(600 if sys.argv[1] == "make" else 0)
' "$@" >"$work/window" &
  helper=$!
  [ "$1" = make ] || { wait "$helper"; return; }
  pids+=("$helper")
  for _ in $(seq 50); do [ -s "$work/window" ] && break; sleep 0.1; done
  window=$(cat "$work/window")
  [ -n "$window" ] || fail "no window of the check's own"
}

# Command lines it refuses (status 2); a display it cannot open, and the library's video
# failing to start, end it with status 1.
while read -r status refuse arguments; do
  # shellcheck disable=SC2086 # the arguments are words
  ORBITRA_PROBE_REFUSE=$refuse LD_PRELOAD="$probe" timeout 5 "$saver" $arguments 2>/dev/null
  [ $? = "$status" ] || fail "orbitra-saver $arguments did not end with status $status ($refuse)"
done <<'END'
2 - -window-id
2 - -window-id 12x
2 - -display
2 - -junk 12
1 - -display :99999
1 SDL_Init -root
1 SDL_SetVideoMode -root
END
# Its own window, when asked for one, whatever window XScreenSaver names, and with no shared
# memory to be had: 640x480, the frame twice at 0,0; a message of its window manager's other
# than WM_DELETE_WINDOW leaves it running.
XSCREENSAVER_WINDOW=$(xwininfo -root | awk '/Window id/ {print $4}') ORBITRA_PROBE_REFUSE=shmat \
  "${held[@]}" -window -display "$DISPLAY" 2>"$work/stderr" &
hack=$!
pids+=("$hack")
wait_for_intro_window "$hack"
[ "$(window_size)" = 640x480 ] || fail "its own window is $(window_size)"
shot own-window.png "$window" 0 0 640 480
xlib tell "$window" WM_TAKE_FOCUS
sleep 0.5
kill -0 "$hack" || fail "WM_TAKE_FOCUS ended the hack"
xlib tell "$window" WM_DELETE_WINDOW
ends_within_a_second "$hack" WM_DELETE_WINDOW
[ -z "$(ipcs -mp | awk -v pid="$hack" '$3 == pid')" ] || fail "the hack left shared memory behind"

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

# restart_display WxH[xDEPTH] [ARG...]: the old server gone, and its display number with it,
# before the new one says its own.
restart_display() {
  kill "$xvfb"
  wait "$xvfb" 2>/dev/null
  rm -f "$work/display"
  start_virtual_display "$@"
  pids+=("$xvfb")
}

# Sound would be written to this file, were it opened.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound.raw
classic="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)"
for library in compat classic; do
  libraries=() shared=1
  if [ $library = classic ]; then
    libraries=(env LD_LIBRARY_PATH="$classic") shared=0
    # And on a display without shared memory, which gets each frame through the connection.
    restart_display 1920x1080 -extension MIT-SHM
  fi
  xlib make 160 120
  "${libraries[@]}" "${held[@]}" -window-id "$window" 2>"$work/stderr" &
  hack=$!
  pids+=("$hack")
  # Its window's size followed: halved and centred, not cut, where a half is what fits in
  # either side, and enlarged 4 times.
  for fit in "160 120 0 0" "400 120 120 0" "319 240 79 60" "320 239 80 59" "1280 960 0 0 1280 960"; do
    # shellcheck disable=SC2086 # the sizes are words
    set -- $fit 160 120
    xdotool windowsize "$window" "$1" "$2"
    shot "window-$1x$2-$library.png" "$window" "${@:3:4}"
  done
  # On the same machine the pictures go through memory it shares with the server.
  [ "$(grep -c SYSV "/proc/$hack/maps")" = "$shared" ] || fail "shared memory used: not $shared"
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
# A display of 16-bit pixels, or of colour maps (DirectColor), it cannot draw on: it says so.
for screen in 640x480x16 "640x480x24 -cc 5"; do
  # shellcheck disable=SC2086 # the size and Xvfb's arguments are words
  restart_display $screen
  timeout 5 "$saver" -root 2>"$work/stderr"
  [ $? = 1 ] && grep -q "no 32-bit true-colour pixels" "$work/stderr" ||
    fail "on $screen the hack did not say it cannot draw: $(cat "$work/stderr")"
done
echo "xscreensaver ran the hack as nobody: 4x and centred at 1920x1080; into a window 1/2 at" \
  "160x120 and 4x at 1280x960 on both SDL 1.2 libraries; no sound; SIGTERM, WM_DELETE_WINDOW and" \
  "the window's end ended it within a second; bad command lines and visuals refused"
