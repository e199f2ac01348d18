#!/usr/bin/env bash
# The real window on a 1920x1080 desktop with a window manager: its size and caption, its
# pixels against the frame tool's frame for the same tick (the clock held still by the probe),
# full screen, the user's own scaling, and Escape ending the run with status 0. On the classic
# library, which cannot scale, the window is the plain 320x240 picture.
# Arguments: the program, the repository root, the probe shim, the comparer, the frame tool.
set -u
program=$1 root=$2 probe=$3 compare=$4 frametool=$5
work=$(mktemp -d)
pids=()
trap 'kill -KILL "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# shellcheck source=tests/lib/xdisplay.sh
source "$(dirname "$0")/lib/xdisplay.sh"
start_virtual_display 1920x1080
pids+=("$xvfb")
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

if ldd "$program" | grep -q 'sdl12-compat/libSDL'; then library=compat; else library=classic; fi
cd "$root" || fail "no repository root"
# The probe goes into a program that may be built with AddressSanitizer. A real display brings
# in the desktop's own libraries (D-Bus, the X and GL drivers, some unloaded again before the
# end); their leaks are theirs, and the headless tests keep checking the intro's own.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0:detect_leaks=0"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER SDL12COMPAT_WINDOW_SCALING SDL12COMPAT_SCALE_METHOD

# Starts the intro with the given environment and arguments; sets $intro and $window.
start() {
  env "$@" "$program" ${args:-} 2>"$work/stderr" &
  intro=$!
  pids+=("$intro")
  wait_for_intro_window "$intro"
}
size() { xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
# A held clock means no drawing pass reads the quit event that SIGTERM makes: kill outright.
stop() { kill -KILL "$intro" 2>/dev/null; wait "$intro" 2>/dev/null; }

# At 5000 ms the picture does not change from frame to frame: no curtain or balls yet, the
# trails stand still (their speed is 0 there), the background has not moved.
"$frametool" --quiet --start 5000 --shot 5000 --shot-dir "$work" >/dev/null 2>&1 || fail "the frame tool failed"
frame=$work/frame-5000.png

if [ $library = compat ]; then scale=4; else scale=1; fi
start LD_PRELOAD="$probe" ORBITRA_PROBE_TICK=5000
[ "$(size)" = "$((320 * scale))x$((240 * scale))" ] || fail "window is $(size) on $library"
[ "$(xdotool getwindowname "$window")" = "$intro_caption" ] || fail "caption differs"
sleep 2
import -window "$window" "$work/window.png" || fail "no screenshot"
[ -n "${ORBITRA_SCREENSHOTS:-}" ] && cp "$work/window.png" "$ORBITRA_SCREENSHOTS/window-$library.png"
"$compare" "$work/window.png" "$frame" 0 0 $((320 * scale)) $((240 * scale)) every ||
  fail "the window is not the frame scaled ${scale}x"
stop

if [ $library = compat ]; then
  start SDL12COMPAT_WINDOW_SCALING=2
  [ "$(size)" = "640x480" ] || fail "the user's own scaling gave $(size)"
  stop

  args=f start LD_PRELOAD="$probe" ORBITRA_PROBE_TICK=5000
  sleep 2
  import -window root "$work/full.png" || fail "no screenshot of the screen"
  [ -n "${ORBITRA_SCREENSHOTS:-}" ] && cp "$work/full.png" "$ORBITRA_SCREENSHOTS/fullscreen.png"
  # 4:3 in the middle of 16:9: 1440x1080 from column 240, black bars beside it.
  "$compare" "$work/full.png" "$frame" 240 0 1440 1080 centres ||
    fail "full screen is not the letterboxed picture"
  stop
fi

# A real run of a dozen seconds, judged on the library's clock so that a busy machine cannot
# fail it: no frame before the limiter allows it, no sleep past the tick at which the next
# frame is due, and sleeping rather than spinning on the clock between frames.
start LD_PRELOAD="$probe" ORBITRA_PROBE_REPORT="$work/probe.txt"
sleep 12
escape_ends_intro "$intro"
read -r _ frames _ seconds _ cpu _ early _ late _ reads <"$work/probe.txt" || fail "no probe report"
[ "$early" = 0 ] || fail "$early frames came before the limiter allowed them"
[ "$late" = 0 ] || fail "$late sleeps went past the tick at which the next frame was due"
[ "$reads" -lt 5000 ] || fail "$reads clock readings between two frames: the loop spins"
echo "window ${scale}x on the $library library, pixels match, $frames frames at the limiter's" \
  "ticks ($cpu s of processor in $seconds s, at most $reads clock readings a frame)," \
  "Escape ended with status 0"
