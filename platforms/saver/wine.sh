#!/usr/bin/env bash
# orbitra.scr under Wine, in a Wine prefix of its own, on a 1920x1080 virtual desktop, its clock
# held between two steps by the check's build (orbitra-saver-held.scr): /S fills the screen with
# the frame enlarged 4 times and centred, and the mouse moving ends it; /p:HWND draws in a
# window of the check's own helper (previewWindow.exe) halved, and ends when that window goes;
# /c shows what it is in a message box that names its licences.
# Arguments: the .scr build folder, the repository root, the native frame tool, the comparer.
set -u
build=$1 root=$2 frametool=$3 compare=$4
work=$(mktemp -d)
pids=()
trap 'exec 2>/dev/null; kill -KILL "${pids[@]}"; wineserver -k; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$root" || fail "no repository root"

export HOME=$work WINEPREFIX=$work/wine WINEARCH=win64 WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
# shellcheck source=../lib/xdisplay.sh
source "$(dirname "$0")/../lib/xdisplay.sh"
start_desktop
wineboot -i >"$work/wineboot.log" 2>&1 || fail "no Wine prefix: $(tail -3 "$work/wineboot.log")"
wineserver -w

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

xdotool mousemove 960 540
wine "$build/orbitra-saver-held.scr" /S 2>"$work/stderr" &
saver=$!
pids+=("$saver")
sleep 4
shot screen-wine.png root 320 60 1280 960
xdotool mousemove 962 542
sleep 1
kill -0 "$saver" 2>/dev/null || fail "a mouse moving two pixels ended the saver"
xdotool mousemove 1100 700
ends_within 5 "$saver" "the mouse moved"
wineserver -w

wine "$build/previewWindow.exe" 8 >"$work/window" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/window" ] && break; sleep 0.1; done
hwnd=$(tr -d '\r' <"$work/window")
[ -n "$hwnd" ] || fail "no preview window"
wine "$build/orbitra-saver-held.scr" /p "$hwnd" 2>"$work/stderr" &
saver=$!
pids+=("$saver")
sleep 4
preview=$(xdotool search --name '^Preview$' | head -1)
[ -n "$preview" ] || fail "no preview window on the display"
read -r width height < <(xwininfo -id "$preview" | awk '/Width:/ {w = $2} /Height:/ {print w, $2}')
shot preview-wine.png "$preview" $(((width - 160) / 2)) $(((height - 120) / 2)) 160 120
ends_within 10 "$saver" "its preview window went"
wineserver -w

WINEDEBUG=-all,+msgbox wine "$build/orbitra.scr" /c:1234 2>"$work/stderr" &
saver=$!
pids+=("$saver")
box=""
for _ in $(seq 100); do
  box=$(xdotool search --name '^Orbitra$' 2>/dev/null | head -1) && [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || fail "/c showed no message box"
sleep 1
xdotool key --window "$box" space
ends_within 5 "$saver" "its box was answered"
grep -F "trace:msgbox:" "$work/stderr" | grep -qF "See the licences folder" || fail "the box names no licences"
echo "Wine: /S 4x centred, ended by the mouse moving; /p halved in the preview window, ended" \
  "with it; /c a message box naming the licences"
