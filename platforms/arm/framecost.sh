#!/usr/bin/env bash
# Instructions an ARM build executes to draw one frame, counted under qemu-user by the plugin
# beside this script. The frame tool draws every frame up to the tick, as the intro does, and
# hashes each twice (its own hash and the running one); a second run stops one frame short and
# draws the tick as a jump frame, hashed once. The two counts for that frame differ by one hash,
# which leaves the drawing (the clear, the scene and about 1,200 instructions of printing).
# Usage: platforms/arm/framecost.sh arm64|armhf [tick]   after platform.sh test built the arch.
#   ORBITRA_FRAMECOST_BUILD  another build folder of the arch (the port's, with QEMU_LD_PREFIX
#                            naming the system its libraries are in)
# Tick 129480 (the full chain over the raster bars, second cycle) is the heaviest on arm64.
set -uo pipefail
exec 1>&2
cd "$(dirname "$0")/../.." || exit 1
# shellcheck source=/dev/null
for lib in binfmt packages; do . "platforms/lib/$lib.sh"; done
arch_names "${1:-}" || { echo "usage: $0 arm64|armhf [tick]"; exit 2; }
qemu=qemu-$qemu_name write=64
[ "$1" = arm64 ] || write=4
tick=${2:-129480}
[ $((tick % 20)) -eq 0 ] && [ "$tick" -ge 20 ] || { echo "the tick must be a multiple of 20"; exit 2; }
tool=${ORBITRA_FRAMECOST_BUILD:-build-$1}/orbitra-capture
[ -x "$tool" ] || { echo "no $tool: run platforms/arm/platform.sh test $1 first"; exit 1; }
# The static emulator cannot load plugins; Debian's dynamic one can.
command -v "$qemu" >/dev/null || need_packages qemu-user || exit 1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gcc -O2 -shared -fPIC -Wall -Wextra -o "$work/insncount.so" platforms/arm/insncount.c || exit 1

# On a terminal the tool's output is line-buffered: one write, one count, per frame.
count() {  # name, frame tool arguments...
  local name=$1
  shift
  script -qec "$qemu -plugin $work/insncount.so,write=$write,out=$work/$name $tool $*" /dev/null |
    tr -d '\r' >"$work/$name.hashes" || exit 1
}
count loop --hashes "$tick" 20
count jump --hashes $((tick - 20)) 20 "$tick"

frame=$((tick / 20 + 1))
loop_hash=$(sed -n "${frame}p" "$work/loop.hashes")
jump_hash=$(tail -1 "$work/jump.hashes")
[ "$loop_hash" = "$jump_hash" ] && [ "${loop_hash%% *}" = "$tick" ] ||
  { echo "the two runs drew different frames: '$loop_hash', '$jump_hash'"; exit 1; }
in_loop=$(sed -n "${frame}p" "$work/loop")
as_jump=$(grep -v '^total' "$work/jump" | tail -1)
hash=$((in_loop - as_jump))
echo "$1, frame at tick $tick: $((as_jump - hash)) instructions to draw, $hash to hash"
