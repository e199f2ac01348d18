#!/usr/bin/env bash
# The Windows build under Wine, in a Wine prefix of its own in a temporary folder: every frame
# of the capture tool against the native tool's and the golden list (tests/framecheck.sh), its
# files; the intro's real window on a 1920x1080 virtual desktop, its clock held by the test build
# orbitra-held.exe; both programs unpacked from the zip under a non-ASCII folder name and started
# from another working folder, a video made through a stand-in ffmpeg.exe; failure boxes one
# after another (no sound device, no res folder).
# Arguments: the Windows build folder, the repository root, the native frame tool, the comparer.
set -u
fail() { echo "FAIL: $*"; exit 1; }
# shellcheck source=../lib/wine.sh
source "$(dirname "$0")/../lib/wine.sh"
wine_desktop "$@"
# Sound through ALSA only, whose default device is the null one: DirectSound works and plays
# into nothing.
printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"
unset SDL_VIDEODRIVER SDL_AUDIODRIVER SDL12COMPAT_WINDOW_SCALING
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
wineserver -w

tests/framecheck.sh "$frametool" "$build/orbitra-capture.exe" wine "$root" Windows ||
  fail "the frames under Wine differ"
wineserver -w

# The capture tool's files through Windows' file functions (a temporary file put in place, binary
# standard output): a second of Y4M and a PNG byte for byte the native tool's on the classic
# library (the compatibility library widens 5- and 6-bit channels its own way), the soundtrack
# the same on standard output as in a file.
mkdir -p "$work/native" "$work/windows"
LD_LIBRARY_PATH=/usr/lib/x86_64-linux-gnu limited 120 "$frametool" --quiet --seconds 1 \
  --y4m "$work/native/a.y4m" --shot 1000 --shot-dir "$work/native" || fail "the frame tool failed"
limited 300 wine "$build/orbitra-capture.exe" --quiet --seconds 1 --y4m "$work/windows/a.y4m" \
  --wav "$work/a.wav" --shot 1000 --shot-dir "$work/windows" || fail "the Windows files failed"
diff -r "$work/native" "$work/windows" || fail "the Windows tool's files differ"
limited 300 wine "$build/orbitra-capture.exe" --quiet --seconds 1 --wav - >"$work/stdout.wav" &&
  cmp "$work/a.wav" "$work/stdout.wav" || fail "the soundtrack on standard output differs"
wineserver -w

stop() { stop_intro; wineserver -k; wineserver -w; }

limited 120 "$frametool" --quiet --start 5000 --shot 5000 --shot-dir "$work" >/dev/null 2>&1 || fail "the frame tool failed"
frame=$work/frame-5000.png

export ORBITRA_HELD_TICK=5000
start_intro wine "$build/orbitra-held.exe"
[ "$(window_size)" = 1280x960 ] || fail "the window is $(window_size)"
[ "$(xdotool getwindowname "$window")" = "$intro_caption" ] || fail "the caption differs"
frame_shown "$window" window-wine.png 0 0 1280 960 every ||
  fail "the window is not the frame scaled 4x"
stop

start_intro wine "$build/orbitra-held.exe" f
# The largest whole factor, 4, in the middle of the screen; black around it.
frame_shown root fullscreen-wine.png 320 60 1280 960 every || fail "full screen is not 4x centred"
stop
unset ORBITRA_HELD_TICK

# The zip unpacked where people keep downloads, the programs started from another folder.
app="$work/Téléchargements/Мои демо 演示" elsewhere=$work/elsewhere
mkdir -p "$app" "$elsewhere" && unzip -q "$build"/orbitra-*-windows-x64.zip -d "$app" &&
  app=$(echo "$app"/orbitra-*) || fail "cannot unpack the zip"
cd "$elsewhere" || fail "no working folder"
limited 300 wine "$app/orbitra-capture.exe" --quiet --seconds 1 --wav "$app/a ü.wav" --shot 1000 \
  --shot-dir "$app/out ü" && cmp "$work/a.wav" "$app/a ü.wav" &&
  cmp "$work/windows/frame-1000.png" "$app/out ü/frame-1000.png" ||
  fail "the capture tool under a non-ASCII folder name differs"
limited 1200 wine "$app/orbitra-capture.exe" --verify 2>"$work/verify" && grep -q ' 11 files intact ' "$work/verify" ||
  fail "--verify under a non-ASCII folder name: $(tail -1 "$work/verify")"
# ffmpeg.exe on the PATH under a name with a blank (a stand-in that counts what it is given).
mkdir -p "$work/bin ü" && x86_64-w64-mingw32-gcc -o "$work/bin ü/ffmpeg.exe" \
  "$root/tests/probe/ffmpegStandin.c" || fail "no stand-in ffmpeg"
WINEPATH=$(winepath -w "$work/bin ü") timeout 60 wine "$app/orbitra-capture.exe" --quiet \
  --seconds 1 -o "$work/a video.mkv" || fail "no video through ffmpeg.exe (status $?)"
[ "$(tr -d '\r' <"$work/a video.mkv")" = $((50 * 320 * 240 * 3)) ] || fail "ffmpeg.exe got no frames"
wineserver -w

start_intro wine "$app/orbitra.exe"
sleep 2
escape_ends_intro "$intro"
wineserver -w

# failure_box WHAT SENTENCE PROGRAM...: the program ends with a message box that stays until
# answered, whose text (Wine's trace of it) has SENTENCE, one line on standard error, status 1.
failure_box() {
  local what=$1 sentence=$2 box="" status try _
  shift 2
  for try in 1 2; do
    WINEDEBUG=-all,+msgbox wine "$@" 2>"$work/stderr" &
    intro=$!
    pids+=("$intro")
    for _ in $(seq 100); do
      box=$(xdotool search --name '^Orbitra$' 2>/dev/null | head -1) && [ -n "$box" ] && break 2
      kill -0 "$intro" 2>/dev/null && { sleep 0.1; continue; }
      wait "$intro"
      status=$?
      # On a fresh system Wine has been seen to end a program it had just started with status
      # 1 and not a word, neither the program's line nor its box: that start is tried again.
      [ "$try$status" = 11 ] && [ ! -s "$work/stderr" ] &&
        { echo "Wine: $what: ended at once, saying nothing; started once more"; continue 2; }
      fail "$what: ended with status $status and no message box; $(intro_said)"
    done
    break
  done
  status=0
  [ -n "$box" ] || fail "$what: no message box"
  # Nothing from an earlier box may answer this one.
  sleep 1
  xdotool getwindowname "$box" >/dev/null 2>&1 || fail "$what: the box closed unanswered"
  # Space presses the button on its release: a key that acts on its press (Return) leaves its
  # release to whatever window comes next, which a following box takes as a press of its own.
  xdotool key --window "$box" space 2>/dev/null
  wait "$intro" || status=$?
  wineserver -w
  [ "$status" = 1 ] || fail "$what: status $status"
  grep -F "trace:msgbox:" "$work/stderr" | grep -qF "$sentence" || fail "$what: the box lacks \"$sentence\""
  grep -v ':msgbox:' "$work/stderr" >"$work/lines"
  [ "$(grep -c . "$work/lines")" = 1 ] || fail "$what: standard error was: $(cat "$work/lines")"
  echo "Wine: $what: \"$(cat "$work/lines")\", a message box, status 1"
}

# No sound device: Wine with no audio driver at all.
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
wineserver -w
failure_box "no sound device" "No sound device could be opened" "$app/orbitra.exe"
# The program without its res folder, started from another folder: the box names the program's.
mkdir -p "$work/no res" && cp "$app/orbitra.exe" "$work/no res/" || fail "cannot copy orbitra.exe"
SDL_AUDIODRIVER=dummy failure_box "no res folder" 'no res\\res\\' "$work/no res/orbitra.exe"
echo "Wine: window 1280x960 equal to the frame scaled 4x, full screen 4x centred on black," \
  "both programs from another folder under a non-ASCII name, a video through ffmpeg.exe," \
  "Escape ended with status 0"
