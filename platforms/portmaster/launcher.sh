#!/usr/bin/env bash
# The port's launcher as a firmware starts it, under qemu in the Debian 11 system with the
# architecture's own libraries (SDL2 among them), from the unpacked zip, with a stand-in
# PortMaster control folder: on a 640x480 virtual screen the window holds the native frame
# tool's frame scaled 2x (the clock held by the port's test build orbitra-held), the sound
# reaches SDL2's file output equal to the native tool's soundtrack, and Escape, as gptokeyb
# sends it for Start, ends the intro and the launcher with status 0 after the firmware's
# steps in their order, also from muOS's layout; without sound output it gives SDL2's reason.
# Arguments: arm64|armhf, the zip, the port's build folder, the native capture tool, the
# comparer of screenshots, the Debian 11 system. As root.
set -uo pipefail
# shellcheck source=../lib/binfmt.sh
source "$(dirname "$0")/../lib/binfmt.sh"
binfmt_hold "$@"
arch=$1 zip=$2 build=$3 tool=$4 compare=$5 system=$6
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

# ARM programs run through qemu, found by the kernel inside the Debian 11 system too.
binfmt_qemu "$arch" "$system/lib/$triplet/$loader" || fail "cannot start $arch programs through binfmt_misc"

unzip -q "$zip" -d "$work/ports" || fail "cannot unpack the zip"
# The firmware's side: the control folder where the launcher looks for it.
control="$work/home dir/.local/share/PortMaster"
mkdir -p "$control"
cat >"$control/control.txt" <<EOF
directory=${work#/}
DEVICE_ARCH=$name
CFW_NAME=standin
GPTOKEYB="\$ESUDO \$controlfolder/gptokeyb -1"
get_controls() { echo get_controls >>"$work/calls"; sdl_controllerconfig=standin; }
pm_platform_helper() { echo "pm_platform_helper \$1" >>"$work/calls"; }
pm_finish() { echo pm_finish >>"$work/calls"; }
EOF
printf '#!/bin/sh\necho "gptokeyb $*" >>%s\n' "$work/calls" >"$control/gptokeyb"
chmod +x "$control/gptokeyb"
for missing in control.txt GPTOKEYB; do  # by this machine's bash: one line naming it, status 1
  refused=$work/$missing/PortMaster expected="status 1 named get_controls pm_finish"
  mkdir -p "$refused" && rm -f "$work/calls" "${intro_logs[0]}"
  [ $missing = GPTOKEYB ] && grep -v "^$missing=" "$control/control.txt" >"$refused/control.txt" ||
    expected="named status 1"
  said=$(XDG_DATA_HOME=$work/$missing bash "$work/ports/Orbitra.sh" 2>&1; echo "status $?"
    cat "${intro_logs[0]}" "$work/calls" 2>/dev/null)
  [ "$(sed "s/^Orbitra: .*$missing.*/named/" <<<"$said" | paste -sd ' ')" = "$expected" ] ||
    fail "without $missing the launcher said: $said"
done

start_virtual_display 640x480
pids+=("$xvfb")
limited 120 "$tool" --quiet --start 5000 --shot 5000 --shot-dir "$work" || fail "the frame tool failed"
limited 120 "$tool" --quiet --seconds 4 --wav "$work/native.wav" || fail "the frame tool's soundtrack failed"
launch() {  # the launcher in the Debian 11 system, beside ports/ given a tick: sets $intro
  CHROOT_BINDS=/tmp setsid bash -c '. "$0" && chroot_run "$@"' "$chroot_lib" "$system" env \
    HOME="$work/home dir" DISPLAY="$DISPLAY" SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=software \
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" ORBITRA_HELD_TICK="${1:-}" \
    bash "$work/${1:+ports/}Orbitra.sh" 2>"$work/stderr" &
  intro=$!
  launches+=("$intro")
}

# The test build with the clock held: the same window and picture every frame.
cp "$build/orbitra-held" "$work/ports/orbitra/orbitra.$name.real" || fail "no orbitra-held"
mv "$work/ports/orbitra/orbitra.$name" "$work/ports/orbitra/orbitra.$name.zipped"
mv "$work/ports/orbitra/orbitra.$name.real" "$work/ports/orbitra/orbitra.$name"
launch 5000
wait_for_intro_window "$intro"
sleep 5
import -window root "$work/screen.png" || fail "no screenshot"
"$compare" "$work/screen.png" "$work/frame-5000.png" 0 0 640 480 every ||
  fail "the screen is not the frame scaled 2x: $(cat "$work/ports/orbitra/log.txt")"
# Ended from outside: with its clock held the intro soon waits for a frame time that never
# comes, and reads no keys while it waits.
{ kill -KILL -- "-$intro" && wait "$intro"; } 2>/dev/null
mv "$work/ports/orbitra/orbitra.$name.zipped" "$work/ports/orbitra/orbitra.$name"

# The zip's program, its run bit lost, its launcher apart as on muOS: its sound, then Escape.
rm -f "$work/calls" "$work/sound.raw" && chmod -x "$work/ports/orbitra/orbitra.$name"
mv "$work/ports/Orbitra.sh" "$work/"
launch
wait_for_intro_window "$intro"
wanted=$(($(stat -c %s "$work/native.wav") - 44))
for _ in $(seq 600); do
  [ "$(stat -c %s "$work/sound.raw" 2>/dev/null || echo 0)" -ge $((wanted + 88200)) ] && break
  sleep 0.1
done
escape_ends_intro "$intro"
# From the first sound on: before the music starts the output plays silence for as long as
# the start-up takes.
python3 - "$work/sound.raw" "$work/native.wav" <<'EOF' || fail "the sound differs from the native soundtrack"
import sys
def heard(data):
    start = 0
    while data[start:start + 4] == bytes(4): start += 4
    return data[start:]
port, native = heard(open(sys.argv[1], "rb").read()), heard(open(sys.argv[2], "rb").read()[44:])
size = min(len(port), len(native))
print("%d bytes of sound compared" % size)
sys.exit(0 if size >= 3 * 22050 * 4 and port[:size] == native[:size] else 1)
EOF
# gptokeyb runs beside the program: its call is in the list, anywhere after get_controls.
expected="get_controls
pm_platform_helper $work/ports/orbitra/orbitra.$name
pm_finish"
[ "$(grep -v '^gptokeyb' "$work/calls")" = "$expected" ] &&
  [ "$(sed -n '2,$p' "$work/calls" | grep '^gptokeyb')" = \
    "gptokeyb -1 orbitra.$name -c $work/ports/orbitra/orbitra.gptk" ] ||
  fail "the launcher's calls were: $(cat "$work/calls")"
# With no sound output to open, the program says SDL2's reason and ends with status 1.
said=$(CHROOT_BINDS=/tmp bash -c '. "$0" && chroot_run "$@"' "$chroot_lib" "$system" env \
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=nosuch timeout 60 "$work/ports/orbitra/orbitra.$name" 2>&1)
status=$?
[ "$status" -eq 1 ] && grep -q "nosuch" <<<"$said" ||
  fail "without sound, status $status and the words: $said"
echo "$arch: launcher from the zip: frame 2x on 640x480, 4 s of sound identical, Escape: status 0;" \
  "no sound output: status 1 with the reason"
