#!/usr/bin/env bash
# The Windows build under Wine, in a Wine prefix of its own in a temporary folder: every frame of
# the capture tool against the native tool's and the golden list (the ARM builds' frame check),
# then the intro's real window on a 1920x1080 virtual desktop: 1280x960 with the exact caption,
# every pixel the frame tool's frame at 5000 ms scaled 4x (the clock held by the test build
# orbitra-held.exe), full screen letterboxed, Escape ending with status 0, and with no sound
# device one line on standard error, the same in a message box, and status 1.
# Arguments: the Windows build folder, the repository root, the native frame tool, the comparer.
set -u
build=$1 root=$2 frametool=$3 compare=$4
work=$(mktemp -d)
pids=()
# The shell's notices of the helpers it kills on the way out say nothing.
trap 'exec 2>/dev/null; kill -KILL "${pids[@]}"; wineserver -k; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$root" || fail "no repository root"

export HOME=$work WINEPREFIX=$work/wine WINEARCH=win64 WINEDEBUG=-all
# No .NET or browser engine to offer to install; sound through ALSA only, whose default device
# is the null one: DirectSound works and plays into nothing.
export WINEDLLOVERRIDES="mscoree,mshtml="
printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"
unset SDL_VIDEODRIVER SDL_AUDIODRIVER SDL12COMPAT_WINDOW_SCALING

# shellcheck source=tests/lib/xdisplay.sh
source "$(dirname "$0")/lib/xdisplay.sh"
start_virtual_display 1920x1080
pids+=("$xvfb")
openbox >/dev/null 2>&1 &
pids+=($!)
wineboot -i >"$work/wineboot.log" 2>&1 || fail "no Wine prefix: $(tail -3 "$work/wineboot.log")"
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
# Wine finishes its own background work between runs, or a later run meets a half-set prefix.
wineserver -w

tests/framecheck.sh "$frametool" "$build/orbitra-capture.exe" wine "$root" Windows ||
  fail "the frames under Wine differ"
wineserver -w

# The capture tool's files through Windows' file functions (a temporary file put in place, binary
# standard output): a second of Y4M and a PNG byte for byte the native tool's on the classic
# library (the compatibility library widens 5- and 6-bit channels its own way), the soundtrack
# the same on standard output as in a file.
mkdir -p "$work/native" "$work/windows"
LD_LIBRARY_PATH=/usr/lib/x86_64-linux-gnu "$frametool" --quiet --seconds 1 \
  --y4m "$work/native/a.y4m" --shot 1000 --shot-dir "$work/native" || fail "the frame tool failed"
wine "$build/orbitra-capture.exe" --quiet --seconds 1 --y4m "$work/windows/a.y4m" \
  --wav "$work/a.wav" --shot 1000 --shot-dir "$work/windows" || fail "the Windows files failed"
diff -r "$work/native" "$work/windows" || fail "the Windows tool's files differ"
wine "$build/orbitra-capture.exe" --quiet --seconds 1 --wav - >"$work/stdout.wav" &&
  cmp "$work/a.wav" "$work/stdout.wav" || fail "the soundtrack on standard output differs"
wineserver -w

start() {  # program, arguments...: sets $intro and $window
  wine "$@" 2>"$work/stderr" &
  intro=$!
  pids+=("$intro")
  wait_for_intro_window "$intro"
}
size() { xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
stop() { kill -KILL "$intro" 2>/dev/null; wait "$intro" 2>/dev/null; wineserver -k; wineserver -w; }

"$frametool" --quiet --start 5000 --shot 5000 --shot-dir "$work" >/dev/null 2>&1 || fail "the frame tool failed"
frame=$work/frame-5000.png

export ORBITRA_HELD_TICK=5000
start "$build/orbitra-held.exe"
[ "$(size)" = 1280x960 ] || fail "the window is $(size)"
[ "$(xdotool getwindowname "$window")" = "$intro_caption" ] || fail "the caption differs"
sleep 2
import -window "$window" "$work/window.png" || fail "no screenshot"
[ -n "${ORBITRA_SCREENSHOTS:-}" ] && cp "$work/window.png" "$ORBITRA_SCREENSHOTS/window-wine.png"
"$compare" "$work/window.png" "$frame" 0 0 1280 960 every || fail "the window is not the frame scaled 4x"
stop

start "$build/orbitra-held.exe" f
sleep 2
import -window root "$work/full.png" || fail "no screenshot of the screen"
[ -n "${ORBITRA_SCREENSHOTS:-}" ] && cp "$work/full.png" "$ORBITRA_SCREENSHOTS/fullscreen-wine.png"
# 4:3 in the middle of 16:9: 1440x1080 from column 240, black bars beside it.
"$compare" "$work/full.png" "$frame" 240 0 1440 1080 centres || fail "full screen is not letterboxed"
stop
unset ORBITRA_HELD_TICK

start "$build/orbitra.exe"
sleep 2
escape_ends_intro "$intro"
wineserver -w

# No sound device: Wine with no audio driver at all.
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
wineserver -w
wine "$build/orbitra.exe" 2>"$work/stderr" &
intro=$!
pids+=("$intro")
box=""
for _ in $(seq 100); do
  box=$(xdotool search --name '^Orbitra$' 2>/dev/null | head -1) && [ -n "$box" ] && break
  kill -0 "$intro" 2>/dev/null || fail "ended without a message box: $(cat "$work/stderr")"
  sleep 0.1
done
[ -n "$box" ] || fail "no message box with no sound device"
# The box closes on the key's press; sending its release then finds no window.
xdotool key --window "$box" Return 2>/dev/null
status=0
wait "$intro" || status=$?
[ "$status" = 1 ] || fail "status $status with no sound device"
[ "$(grep -c . "$work/stderr")" = 1 ] || fail "with no sound device, standard error was: $(cat "$work/stderr")"
echo "Wine: window 1280x960 equal to the frame scaled 4x, full screen letterboxed, Escape ended" \
  "with status 0; no sound device: \"$(cat "$work/stderr")\", a message box, status 1"
