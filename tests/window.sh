#!/usr/bin/env bash
# The real window: start the intro under a virtual X server, check its size and caption, look
# at what it shows, send Escape and expect a clean end.
# Arguments: the program, the repository root (where res/ lives).
set -u
program=$1
root=$2
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

display=":$((90 + RANDOM % 500))"
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=$display
fail() { echo "FAIL: $*"; [ -n "${intro:-}" ] && kill "$intro" 2>/dev/null; exit 1; }

ready=""
for _ in $(seq 200); do xdpyinfo >/dev/null 2>&1 && ready=1 && break; sleep 0.1; done
[ -n "$ready" ] || fail "the virtual X server did not start: $(cat "$work/xvfb.log")"

cd "$root" || fail "no repository root"
SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11 "$program" 2>"$work/stderr" &
intro=$!

caption=".:Orbitra by Kalvaren:. 7.7.2007"
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name "^${caption//./\\.}\$" 2>/dev/null | head -1)
  [ -n "$window" ] && break
  kill -0 "$intro" 2>/dev/null || fail "the intro ended early: $(cat "$work/stderr")"
  sleep 0.1
done
[ -n "$window" ] || fail "no window with the caption appeared"

info=$(xwininfo -id "$window")
width=$(awk '/Width:/ {print $2}' <<<"$info")
height=$(awk '/Height:/ {print $2}' <<<"$info")
[ "$width" = 320 ] && [ "$height" = 240 ] || fail "window is ${width}x${height}, not 320x240"
[ "$(xdotool getwindowname "$window")" = "$caption" ] || fail "caption differs"

# Past the curtain the picture must show something besides black.
sleep 4
import -window "$window" "$work/shot.png" || fail "no screenshot"
[ -n "${ORBITRA_SCREENSHOT:-}" ] && cp "$work/shot.png" "$ORBITRA_SCREENSHOT"
colours=$(convert "$work/shot.png" -format '%k' info:)
[ "$colours" -gt 16 ] || fail "the window shows only $colours colours"

xdotool key --window "$window" Escape
for _ in $(seq 100); do kill -0 "$intro" 2>/dev/null || break; sleep 0.1; done
kill -0 "$intro" 2>/dev/null && fail "Escape did not end the intro"
wait "$intro"
status=$?
[ "$status" = 0 ] || fail "exit status $status: $(cat "$work/stderr")"
echo "window ${width}x${height}, caption ok, $colours colours shown, Escape ended with status 0"
