#!/usr/bin/env bash
# orbitra.scr under Wine, in a Wine prefix of its own, on a 1920x1080 virtual desktop, its clock
# held between two steps by the check's build (orbitra-saver-held.scr): /S fills the screen with
# the frame enlarged 4 times and centred, and a key or the mouse moving ends it; /p HWND draws in
# a window of the check's own helper (previewWindow.exe) halved, and ends when that window goes;
# /c:HWND shows what it is in a message box, owned by that window, that names its licences.
# Arguments: the .scr build folder, the repository root, the native frame tool, the comparer.
set -u
fail() { echo "FAIL: $*"; exit 1; }
# shellcheck source=../lib/wine.sh
source "$(dirname "$0")/../lib/wine.sh"
wine_desktop "$@"

"$frametool" --quiet --start 5000 --shot 5000 --shot-dir "$work" >/dev/null 2>&1 || fail "the frame tool failed"
frame=$work/frame-5000.png
export ORBITRA_HELD_TICK=5010

# ends_within SECONDS PID WHAT: the program ends within SECONDS, with status 0.
ends_within() {
  local _ status=0
  for _ in $(seq $(($1 * 10))); do kill -0 "$2" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$2" 2>/dev/null && fail "the saver did not end after $3"
  wait "$2" || status=$?
  [ "$status" = 0 ] || fail "the saver ended with status $status after $3"
}

# shot NAME TARGET X Y W H: a screenshot of TARGET is the frame scaled to W x H at X,Y, black
# around it.
shot() {
  import -window "$2" "$work/$1" || fail "no screenshot of $2"
  [ -z "${ORBITRA_SCREENSHOTS:-}" ] || cp "$work/$1" "$ORBITRA_SCREENSHOTS/$1"
  "$compare" "$work/$1" "$frame" "${@:3}" every >"$work/compare.txt" 2>&1 ||
    fail "$1 is not the frame scaled to $5x$6 at $3,$4: $(paste -sd' ' "$work/compare.txt")"
}

# /S, ended by a key, and again by the mouse: moving 4 pixels is a table knocked, 5 a person back.
for end in key mouse; do
  xdotool mousemove 960 540
  wine "$build/orbitra-saver-held.scr" /S 2>"$work/stderr" &
  saver=$!
  pids+=("$saver")
  sleep 4
  if [ $end = key ]; then
    xdotool key space
  else
    shot screen-wine.png root 320 60 1280 960
    xdotool mousemove 964 544
    sleep 1
    kill -0 "$saver" 2>/dev/null || fail "a mouse moving 4 pixels ended the saver"
    xdotool mousemove 965 540
  fi
  ends_within 5 "$saver" "the $end"
  wineserver -w
done

# settings ARGUMENT OWNER: /c ARGUMENT shows a box that names the licences, owned by the X window
# OWNER (or none), until it is answered.
settings() {
  local box="" owner _
  WINEDEBUG=-all,+msgbox wine "$build/orbitra.scr" "$1" 2>"$work/stderr" &
  saver=$!
  pids+=("$saver")
  for _ in $(seq 100); do
    box=$(xdotool search --name '^Orbitra$' 2>/dev/null | head -1) && [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || fail "$1 showed no message box"
  sleep 1
  owner=$(xprop -id "$box" WM_TRANSIENT_FOR | grep -o '0x[0-9a-f]*$')
  [ "${owner:-none}" = "$2" ] || fail "the box of $1 is owned by ${owner:-none}, not $2"
  xdotool key --window "$box" space
  ends_within 5 "$saver" "its box was answered"
  grep -F "trace:msgbox:" "$work/stderr" | grep -qF "See the licences folder" || fail "the box names no licences"
}

wine "$build/previewWindow.exe" 60 >"$work/window" 2>/dev/null &
helper=$!
pids+=("$helper")
for _ in $(seq 100); do [ -s "$work/window" ] && break; sleep 0.1; done
hwnd=$(tr -d '\r' <"$work/window")
[ -n "$hwnd" ] || fail "no preview window"
preview=$(timeout 10 xdotool search --sync --name '^Preview$' | head -1)
[ -n "$preview" ] || fail "no preview window on the display"
settings "/c:$hwnd" "$(printf '0x%x' "$preview")"
# A window's number with more after it is no window's.
wine "$build/orbitra-saver-held.scr" /p "${hwnd}x" 2>"$work/stderr" &
saver=$!
pids+=("$saver")
ends_within 5 "$saver" "/p ${hwnd}x"
wine "$build/orbitra-saver-held.scr" /p "$hwnd" 2>"$work/stderr" &
saver=$!
pids+=("$saver")
sleep 4
read -r width height < <(xwininfo -id "$preview" | awk '/Width:/ {w = $2} /Height:/ {print w, $2}')
shot preview-wine.png "$preview" $(((width - 160) / 2)) $(((height - 120) / 2)) 160 120
kill "$helper"
ends_within 10 "$saver" "its preview window went"
wineserver -w

settings /c:1234 none
echo "Wine: /S 4x centred, ended by a key and by the mouse moving 5 pixels, not 4; /p halved in" \
  "the preview window, ended with it; /c a message box naming the licences, owned by the" \
  "window it names"
