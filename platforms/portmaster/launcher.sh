#!/usr/bin/env bash
# The port's launcher as a firmware starts it, under qemu in a Debian system with the
# architecture's own libraries (one SDL2 of those the devices carry among them), from the
# unpacked zip, with a stand-in PortMaster control folder and a stand-in gptokeyb, on virtual
# screens with no window manager.
#   full: on a 640x480 screen the window holds the native frame tool's frame scaled 2x (the
#   clock held by the port's test build orbitra-held), refitted when the window is made
#   smaller; gptokeyb's kill switch ends it and the launcher still ends the session; the sound
#   reaches SDL2's file output as the native tool's soundtrack (identical at 22050 Hz, else
#   alike once resampled); Escape, as gptokeyb sends it for Start, ends the intro and the
#   launcher with status 0 after the firmware's steps in their order, also from muOS's layout;
#   without the sound driver asked for the program plays through another of SDL2's, and
#   without any it gives the first one's reason.
#   screens WxH...: on each screen the held frame fitted as the port fits it.
# Arguments: full|screens, arm64|armhf, the zip, the port's build folder, the native capture
# tool, the comparer of screenshots, the Debian system, the folder beside the architecture's
# library folder that holds its SDL2 (- for the default one), the rate SDL2 plays at, then the
# screens. As root.
set -uo pipefail
# shellcheck source=../lib/binfmt.sh
source "$(dirname "$0")/../lib/binfmt.sh"
binfmt_hold "$@"
# shellcheck disable=SC2034 # compare: read by frame_shown (xdisplay.sh)
mode=$1 arch=$2 zip=$3 build=$4 tool=$5 compare=$6 system=$7 folder=$8 rate=$9
screens=("${@:10}")
arch_names "$arch" || exit 2
name=$device
work=$(mktemp -d /tmp/orbitra-port-launcher.XXXXXX)
pids=() launches=()
# Each launch is a session of its own, ended whole: the launcher, gptokeyb and the program.
trap 'exec 2>/dev/null; for p in "${launches[@]}"; do kill -KILL -- "-$p"; done; kill "${pids[@]}"
  rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# shellcheck source=../lib/xdisplay.sh
source "$(dirname "$0")/../lib/xdisplay.sh"
intro_logs=("$work/ports/orbitra/log.txt")
chroot_lib=$(realpath "$(dirname "$0")/../lib/chroot.sh")
libraries=
[ "$folder" = - ] || libraries=/usr/lib/$triplet/$folder
# The screenshots' names tell the systems' and the SDL2s' apart.
tag=$arch-$(basename "$system")${libraries:+-$folder}

# ARM programs run through qemu, found by the kernel inside the Debian system too.
binfmt_qemu "$arch" "$system/lib/$triplet/$loader" || fail "cannot start $arch programs through binfmt_misc"

unzip -q "$zip" -d "$work/ports" || fail "cannot unpack the zip"
# The firmware's side: the control folder where the launcher looks for it.
control="$work/home dir/.local/share/PortMaster"
mkdir -p "$control"
cat >"$control/control.txt" <<EOF2
directory=${work#/}
DEVICE_ARCH=$name
CFW_NAME=standin
GPTOKEYB="\$ESUDO \$controlfolder/gptokeyb -1"
get_controls() { echo get_controls >>"$work/calls"; sdl_controllerconfig=standin; }
pm_platform_helper() { echo "pm_platform_helper \$1" >>"$work/calls"; }
pm_finish() { echo pm_finish >>"$work/calls"; }
EOF2
# gptokeyb beside the program; its kill switch (Start+Select), pressed when the check makes the
# file kill, ends the program it was started for, by name.
cat >"$control/gptokeyb" <<EOF2
#!/bin/sh
echo "gptokeyb \$*" >>"$work/calls"
until [ -e "$work/kill" ]; do sleep 0.1; done
for pid in /proc/[0-9]*; do
  [ "\$(cat "\$pid/comm" 2>/dev/null)" = "\$2" ] && kill -KILL "\${pid#/proc/}"
done
EOF2
chmod +x "$control/gptokeyb"

launch() {  # the launcher in the Debian system, beside ports/ given a tick: sets $intro
  CHROOT_BINDS=/tmp setsid bash -c '. "$0" && chroot_run "$@"' "$chroot_lib" "$system" env \
    HOME="$work/home dir" DISPLAY="$DISPLAY" SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=software \
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" ORBITRA_HELD_TICK="${1:-}" \
    ${libraries:+LD_LIBRARY_PATH="$libraries"} bash "$work/${1:+ports/}Orbitra.sh" 2>"$work/stderr" &
  intro=$!
  launches+=("$intro")
}

# A picture not fitted is reported and the check goes on, so that one run tells all that
# fails; it fails at the end.
misfit() { echo "FAIL: $*" | tee -a "$work/misfits"; }

# held_launch WxH: the test build with the clock held (the same picture every frame) launched
# on a screen of its own, its window's picture compared after 5 s.
held_launch() {
  start_virtual_display "$1"
  pids+=("$xvfb")
  cp "$build/orbitra-held" "$work/ports/orbitra/orbitra.$name" || fail "no orbitra-held"
  rm -f "$work/calls" "$work/kill"
  launch $held
  wait_for_intro_window "$intro"
  sleep 3
  fitted root "$tag-$1.png" "${1%x*}" "${1#*x}"
}

# fitted TARGET NAME W H: after 2 s a screenshot of TARGET (a window or root), W x H, holds
# the held frame as the port fits it, centred on black: scaled by the largest whole factor
# that fits where that is 2 or more or fills the 4:3 box that fits; else ("sharp fill")
# scaled 2x, then smoothly reduced to that box, compared loosely (the renderers blend
# differently, or not at all): a mean difference under 3.5% and under a quarter of a black
# box's.
fitted() {
  local w=$3 h=$4 factor boxw boxh x y
  factor=$((w / 320 < h / 240 ? w / 320 : h / 240))
  boxw=$((w * 3 > h * 4 ? h * 4 / 3 : w)) boxh=$((w * 3 > h * 4 ? h : w * 3 / 4))
  if [ "$factor" -ge 2 ] || [ $((factor * 320)) -eq "$boxw" ]; then
    frame_shown "$1" "$2" $(((w - factor * 320) / 2)) $(((h - factor * 240) / 2)) \
      $((factor * 320)) $((factor * 240)) every ||
      misfit "the screen $3x$4 does not hold the frame ${factor}x (the window: $(window_size))"
    return
  fi
  x=$(((w - boxw) / 2)) y=$(((h - boxh) / 2))
  screen_shot "$1" "$2"
  # One pixel around the box may go either way with the box's rounding.
  local border inner="$((boxw - 2))x$((boxh - 2))+$((x + 1))+$((y + 1))" seen blank
  border=$(convert "$work/$2" -fill black -draw "rectangle $((x - 1)),$((y - 1)) $((x + boxw)),$((y + boxh))" \
    -format '%[fx:maxima]' info:) && [ "$border" = 0 ] ||
    misfit "the screen $3x$4 is not black around the ${boxw}x$boxh box at $x,$y"
  convert -size "${w}x$h" xc:black \( "$frame" -filter point -resize 200% -filter triangle \
    -resize "${boxw}x$boxh!" \) -geometry "+$x+$y" -composite "$work/fill-$3x$4.png" &&
    convert "$work/$2" -crop "$inner" +repage "$work/seen.png" &&
    convert "$work/fill-$3x$4.png" -crop "$inner" +repage "$work/wanted.png" || fail "cannot crop the screenshot"
  seen=$(compare -metric MAE "$work/seen.png" "$work/wanted.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
  blank=$(convert "$work/wanted.png" -format '%[fx:mean]' info:)
  echo "$3x$4: the ${boxw}x$boxh box differs from the frame scaled 2x and reduced by $seen on average" \
    "(the black screen: $blank)"
  python3 -c 'import sys; seen, blank = map(float, sys.argv[1:]); sys.exit(not (seen < 0.035 and seen < blank / 4))' \
    "$seen" "$blank" || misfit "the screen $3x$4 does not hold the frame filling the" \
    "${boxw}x$boxh box (the window: $(window_size))"
}

# gptokeyb's kill switch ends the program: the launcher ends with its status, and still
# stops gptokeyb and ends the firmware's session.
kill_switch() {
  touch "$work/kill"
  local _ status=0
  for _ in $(seq 100); do kill -0 "$intro" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$intro" 2>/dev/null && fail "gptokeyb's kill switch did not end the launcher"
  wait "$intro" || status=$?
  [ "$status" = 137 ] && calls_were "$work/ports/orbitra/orbitra.$name" ||
    fail "after gptokeyb's kill: status $status, $(intro_said)"
}

# calls_were PROGRAM: the firmware's calls in order; gptokeyb's, anywhere after
# get_controls, started for the program with the .gptk.
calls_were() {
  local expected="get_controls
pm_platform_helper $1
pm_finish"
  [ "$(grep -v '^gptokeyb' "$work/calls")" = "$expected" ] &&
    [ "$(sed -n '2,$p' "$work/calls" | grep '^gptokeyb')" = \
      "gptokeyb -1 orbitra.$name -c $work/ports/orbitra/orbitra.gptk" ] || fail "the launcher's calls were: $(cat "$work/calls")"
}

# Held at 150 s the intro draws 7500 frames (50 a second) before it waits for a frame time that
# never comes: through the checks of a screen and a resize, every frame reads the events (held
# at 30 s, a small window drew its 1500 before the resize).
held=150000
limited 120 "$tool" --quiet --start $held --shot $held --shot-dir "$work" || fail "the frame tool failed"
frame=$work/frame-$held.png
mv "$work/ports/orbitra/orbitra.$name" "$work/ports/orbitra/orbitra.$name.zipped"
if [ "$mode" = screens ]; then
  for screen in "${screens[@]}"; do
    held_launch "$screen"
    kill_switch
    kill "$xvfb"
  done
  [ ! -s "$work/misfits" ] || fail "the frame is not fitted on every screen"
  echo "$arch: the held frame fitted on ${screens[*]}, and gptokeyb's kill after each"
  exit 0
fi

# By this machine's bash: one line naming what is missing, status 1.
for missing in control.txt GPTOKEYB get_controls pm_finish; do
  refused=$work/$missing/PortMaster expected="named status 1"
  mkdir -p "$refused" && rm -f "$work/calls" "${intro_logs[0]}"
  [ $missing = control.txt ] || grep -v "^$missing[=(]" "$control/control.txt" >"$refused/control.txt"
  [ $missing != GPTOKEYB ] || expected="status 1 named get_controls pm_finish"
  said=$(XDG_DATA_HOME=$work/$missing bash "$work/ports/Orbitra.sh" 2>&1; echo "status $?"
    cat "${intro_logs[0]}" "$work/calls" 2>/dev/null)
  [ "$(sed "s/^Orbitra: .*$missing.*/named/" <<<"$said" | paste -sd ' ')" = "$expected" ] ||
    fail "without $missing the launcher said: $said"
done

held_launch 640x480
# Made smaller after it opened, as a firmware's screen can change: the picture refits.
xdotool windowsize "$window" 400 240 || fail "cannot resize the window"
# Under emulation the next frames may take seconds (armhf over SDL3: more than 2).
sleep 4
fitted "$window" "$tag-window-400x240.png" 400 240
kill_switch

# The zip's program, its run bit lost, its launcher apart as on muOS: its sound, then Escape.
limited 120 "$tool" --quiet --seconds 4 --wav "$work/native.wav" || fail "the frame tool's soundtrack failed"
mv "$work/ports/orbitra/orbitra.$name.zipped" "$work/ports/orbitra/orbitra.$name"
rm -f "$work/calls" "$work/kill" "$work/sound.raw" && chmod -x "$work/ports/orbitra/orbitra.$name"
mv "$work/ports/Orbitra.sh" "$work/"
launch
wait_for_intro_window "$intro"
# 4 s of the soundtrack and 1 s more, as SDL2 writes it: 16-bit stereo at its rate.
wanted=$(((rate * 5) * 4))
for _ in $(seq 600); do
  [ "$(stat -c %s "$work/sound.raw" 2>/dev/null || echo 0)" -ge "$wanted" ] && break
  sleep 0.1
done
# On 480x320 the picture fills the 426x320 box at 27,0; Select (F) turns it to whole pixels,
# 320x240 at 80,40: the running intro's picture seen only by where it is black.
xdotool windowsize "$window" 480 320 && sleep 4 && screen_shot "$window" "$tag-fill.png" &&
  xdotool key --window "$window" f && sleep 4 && screen_shot "$window" "$tag-crisp.png" ||
  fail "cannot resize the window or press F"
strip() { convert "$work/$1" -crop "$2" -format '%[fx:maxima]' info:; }
[ "$(strip "$tag-fill.png" 27x320+0+0)" = 0 ] && [ "$(strip "$tag-fill.png" 52x320+28+0)" != 0 ] &&
  [ "$(strip "$tag-crisp.png" 80x320+0+0)" = 0 ] && [ "$(strip "$tag-crisp.png" 320x240+80+40)" != 0 ] ||
  misfit "Select does not turn the 480x320 fill into 1x"
escape_ends_intro "$intro"
calls_were "$work/ports/orbitra/orbitra.$name"
if [ "$rate" = 22050 ]; then
  heard=identical
else  # SDL2 resamples: the native soundtrack resampled by sox to its rate, to compare with
  heard="alike (correlation of at least 0.999)"
  sox "$work/native.wav" -r "$rate" "$work/native-$rate.wav" || fail "sox cannot resample"
fi
# From the first sound on: before the music starts the output plays silence for as long as
# the start-up takes.
python3 - "$work/sound.raw" "$work/native.wav" "$rate" "$work/native-$rate.wav" <<'EOF2' ||
import math, struct, sys
def heard(data):
    start = 0
    while data[start:start + 4] == bytes(4): start += 4
    return data[start:]
port, native = heard(open(sys.argv[1], "rb").read()), heard(open(sys.argv[2], "rb").read()[44:])
if sys.argv[3] == "22050":
    size = min(len(port), len(native))
    print("%d bytes of sound compared" % size)
    sys.exit(0 if size >= 3 * 22050 * 4 and port[:size] == native[:size] else 1)
# Resampled, the two may start a few samples apart: the best of the nearby alignments, over 3 s.
rate = int(sys.argv[3])
resampled = heard(open(sys.argv[4], "rb").read()[44:])
samples = lambda data: struct.unpack("<%dh" % (len(data) // 2), data[:len(data) // 2 * 2])
a, b = samples(port), samples(resampled)
count = 3 * rate * 2
if min(len(a), len(b)) < count + 64: sys.exit("too little sound: %d samples" % len(a))
def correlation(shift):
    x, y = a[max(shift, 0):][:count], b[max(-shift, 0):][:count]
    xy = sum(p * q for p, q in zip(x, y))
    return xy / math.sqrt(sum(p * p for p in x) * sum(q * q for q in y))
scores = {shift: correlation(shift) for shift in range(-32, 33, 2)}
shift = max(scores, key=scores.get)
print("3 s of sound at %d Hz compared: correlation %.6f, %d samples apart" % (rate, scores[shift], shift // 2))
sys.exit(0 if scores[shift] >= 0.999 else 1)
EOF2
  fail "the sound differs from the native soundtrack"
# Without the sound driver asked for, the program plays through another of SDL2's (ALSA, into
# its null device here) and says why; with none usable it gives each reason and status 1.
printf 'pcm.!default { type null }\n' >"$work/null.conf" && : >"$work/none.conf"
nosound() {  # ALSA's configuration, the seconds to run: the program's words and status
  CHROOT_BINDS=/tmp bash -c '. "$0" && chroot_run "$@"' "$chroot_lib" "$system" env \
    ${libraries:+LD_LIBRARY_PATH="$libraries"} SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=nosuch \
    ALSA_CONFIG_PATH="$work/$1" timeout "$2" "$work/ports/orbitra/orbitra.$name" 2>&1
  echo "status $?"
}
said=$(nosound null.conf 12)
grep -qx "Sound through SDL2's alsa driver, as its nosuch driver failed: .*nosuch.*" <<<"$said" &&
  said=$(nosound none.conf 60) && grep -qx "status 1" <<<"$said" &&
  grep -qx "No sound through SDL2's nosuch driver nor its others; .*alsa: .*" <<<"$said" &&
  grep -qx ".*'nosuch'.*" <<<"$(grep -v "^No sound\|^ALSA" <<<"$said")" ||
  fail "a missing sound driver: $said"
[ ! -s "$work/misfits" ] || fail "the frame is not fitted on every screen: $(paste -sd ' ' "$work/misfits")"
echo "$arch: launcher from the zip: frame 2x on 640x480, refitted at 400x240, gptokeyb's kill;" \
  "fill on 480x320, 1x after Select;" \
  "4 s of sound $heard, Escape: status 0; a missing sound driver: another one, or status 1" \
  "with the reason"
