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

# shellcheck source=../lib/xdisplay.sh
source "$(dirname "$0")/../lib/xdisplay.sh"
start_desktop

# A program that cannot start at all (here: made for no machine there is) is reported with its
# status and the shell's reason, not an empty line.
cp "$program" "$work/alien" && printf '\x34\x12' | dd of="$work/alien" bs=1 seek=18 conv=notrunc 2>/dev/null
said=$( (start_intro "$work/alien") 2>&1)
grep -q 'with status 126; stderr: .*Exec format error' <<<"$said" || fail "a program that cannot start: $said"

library=classic scale=1
ldd "$program" | grep -q 'sdl12-compat/libSDL' && library=compat scale=4
cd "$root" || fail "no repository root"
# The probe goes into a program that may be built with AddressSanitizer. A real display brings
# in the desktop's own libraries (D-Bus, the X and GL drivers, some unloaded again before the
# end); their leaks are theirs, and the headless tests keep checking the intro's own.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0:detect_leaks=0"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER SDL12COMPAT_WINDOW_SCALING SDL12COMPAT_SCALE_METHOD
held=(env LD_PRELOAD="$probe" ORBITRA_PROBE_TICK=5000 "$program")

# At 5000 ms the picture does not change from frame to frame: no curtain or balls yet, the
# trails stand still (their speed is 0 there), the background has not moved.
limited 120 "$frametool" --quiet --start 5000 --shot 5000 --shot-dir "$work" >/dev/null 2>&1 || fail "the frame tool failed"
frame=$work/frame-5000.png

start_intro "${held[@]}"
[ "$(window_size)" = "$((320 * scale))x$((240 * scale))" ] ||
  fail "window is $(window_size) on $library"
[ "$(xdotool getwindowname "$window")" = "$intro_caption" ] || fail "caption differs"
frame_shown "$window" "window-$library.png" 0 0 $((320 * scale)) $((240 * scale)) every ||
  fail "the window is not the frame scaled ${scale}x"
stop_intro

if [ $library = compat ]; then
  start_intro env SDL12COMPAT_WINDOW_SCALING=2 "$program"
  [ "$(window_size)" = "640x480" ] || fail "the user's own scaling gave $(window_size)"
  stop_intro

  start_intro "${held[@]}" f
  # 4:3 in the middle of 16:9: 1440x1080 from column 240, black bars beside it.
  frame_shown root fullscreen.png 240 0 1440 1080 centres ||
    fail "full screen is not the letterboxed picture"
  stop_intro
fi

# A real run of a dozen seconds, judged on the library's clock so that a busy machine cannot
# fail it: no frame before the limiter allows it, no sleep past the tick at which the next
# frame is due, and sleeping rather than spinning on the clock between frames.
start_intro env LD_PRELOAD="$probe" ORBITRA_PROBE_REPORT="$work/probe.txt" "$program"
sleep 12
escape_ends_intro "$intro"
read -r _ frames _ seconds _ cpu _ early _ late _ reads <"$work/probe.txt" || fail "no probe report"
[ "$early" = 0 ] || fail "$early frames came before the limiter allowed them"
[ "$late" = 0 ] || fail "$late sleeps went past the tick at which the next frame was due"
[ "$reads" -lt 5000 ] || fail "$reads clock readings between two frames: the loop spins"
echo "window ${scale}x on the $library library, pixels match, $frames frames at the limiter's" \
  "ticks ($cpu s of processor in $seconds s, at most $reads clock readings a frame)," \
  "Escape ended with status 0"
