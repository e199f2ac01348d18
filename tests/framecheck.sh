#!/usr/bin/env bash
# Another build (ARM under qemu, Windows under Wine) draws exactly what the x86-64 build
# draws. Both frame tools hash every frame, 20 ms apart, over the golden span (three minutes:
# two whole ball cycles, with and without the raster bars, and the start of a third), then
# single frames past the clock's wraps; the other one runs under its runner. Any difference
# fails and names the first differing frame. The other build's hashes, sampled the way the
# golden check samples them, must also equal the golden list, and its soundtrack, second by
# second, the golden sound list (a build on a distribution's 32-bit module player, marked by
# ORBITRA_MIXER32=1, may play a second as that player's own hash in the list says).
# Arguments: the native frame tool, the other build's frame tool, the runner that starts it,
# the repository root, and the other build's name in messages (ARM when not given). Each run
# has a time limit, ORBITRA_RUN_SECONDS (3600): one that never ends fails with a line saying so.
set -u
exec 1>&2
[ $# -eq 4 ] || [ $# -eq 5 ] ||
  { echo "usage: $0 <native tool> <other tool> <runner> <repo root> [<name>]"; exit 2; }
native_tool=$1 arm_tool=$2 emulator=$3 root=$4 other=${5:-ARM}

cd "$root" || exit 1
# The golden run (the golden list's first line: "frames <end> <every> <jump>...") with every
# frame listed (the frame tools draw one each 20 ms), not only the golden step's.
read -r -a golden_run <res/golden/frames.txt
golden_every=${golden_run[2]}
hash_args=(--hashes "${golden_run[1]}" 20 "${golden_run[@]:3}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

limit=${ORBITRA_RUN_SECONDS:-3600}
late() {  # STATUS WHAT LOG: says so in $work/LOG.err when the run of WHAT ran out of time
  [ "$1" -ne 124 ] || echo "$2 did not end within $limit s" >>"$work/$3.err"
}
# Both at once: the machine has two cores and the emulated run is the longer.
timeout -k 10 "$limit" "$native_tool" "${hash_args[@]}" >"$work/native" 2>"$work/native.err" &
native_pid=$!
timeout -k 10 "$limit" "$emulator" "$arm_tool" "${hash_args[@]}" >"$work/arm" 2>"$work/arm.err"
arm_status=$?
late $arm_status "the $other frame tool" arm
# Text on Windows ends its lines with a carriage return too.
sed -i 's/\r$//' "$work/arm"
wait $native_pid
native_status=$?
late $native_status "the native frame tool" native
[ $native_status -eq 0 ] || { cat "$work/native.err"; echo "FAIL: the native frame tool failed ($native_status)"; exit 1; }
[ $arm_status -eq 0 ] || { cat "$work/arm.err"; echo "FAIL: the $other frame tool failed under $emulator ($arm_status)"; exit 1; }

frames=$(sed '/^all /q' "$work/native" | grep -c -E '^[0-9]+ [0-9a-f]{16}$')
jumps=$(sed '1,/^all /d' "$work/native" | grep -c -E '^[0-9]+ [0-9a-f]{16}$')
[ "$frames" -gt 1000 ] || { echo "FAIL: the native frame tool printed only $frames frame hashes"; exit 1; }

if ! cmp -s "$work/native" "$work/arm"; then
  # Consecutive frames are numbered from 0; the lines after "all" are single jump frames.
  awk -v other="$other" '
    function report(i, a, b, t) {
      split(a, t, " ")
      if (i < all) where = "frame " i - 2 " (tick " t[1] ")"
      else if (i == all) where = "the hash over all frames"
      else where = "the jump frame at tick " t[1]
      print "x86-64: " a "   " other ": " b
      print "FAIL: the " other " frames differ from x86-64 first at " where
    }
    NR == FNR { native[FNR] = $0; if ($1 == "all") all = FNR; lines = FNR; next }
    FNR == 1 && native[1] != $0 { print "FAIL: the " other " tool ran another golden run: " $0; found = 1 }
    !found && native[FNR] != $0 { report(FNR, native[FNR], $0); found = 1 }
    END {
      if (!found) print "FAIL: x86-64 printed " lines " lines, the " other " tool " FNR
    }' "$work/native" "$work/arm"
  exit 1
fi

# The golden sample: the first frame at or after each multiple of the golden step, then the
# line over all frames and the jump frames.
golden=res/golden/frames.txt
awk -v every="$golden_every" '
  FNR == 1 { next }
  after_all || $1 == "all" { after_all = 1; print; next }
  $1 + 0 >= mark { print; while (mark <= $1 + 0) mark += every }' "$work/arm" >"$work/golden"
if ! tail -n +2 "$golden" | cmp -s "$work/golden" -; then
  echo "FAIL: the $other frames match x86-64 but not $golden; first difference:"
  tail -n +2 "$golden" | diff - "$work/golden" | head -4
  exit 1
fi

sound=res/golden/sound.txt
read -r _ seconds <"$sound"
timeout -k 10 "$limit" "$emulator" "$arm_tool" --sound-hashes "$seconds" >"$work/sound" \
  2>"$work/sound.err" || { late $? "the $other tool's soundtrack" sound; cat "$work/sound.err"
  echo "FAIL: the $other tool's soundtrack failed under $emulator"; exit 1; }
sed -i 's/\r$//' "$work/sound"
mixer32=$(awk -v mixer32="${ORBITRA_MIXER32:-0}" -v other="$other" -v golden="$sound" '
  NR == FNR { usual[FNR] = $1 " " $2; own[FNR] = $1 " " ($3 == "" ? $2 : $3); lines = FNR; next }
  $0 != usual[FNR] && !(mixer32 && $0 == own[FNR]) {
    print "FAIL: the " other " soundtrack differs from " golden " first at line " FNR ": " $0
    bad = 1; exit
  }
  $0 != usual[FNR] { played++ }
  END { if (!bad && FNR != lines) print "FAIL: " golden " has " lines " lines, the " other " tool printed " FNR
        else if (!bad) print played + 0 }' "$sound" "$work/sound")
case "$mixer32" in FAIL*) echo "$mixer32"; exit 1 ;; esac
note=""
[ "${ORBITRA_MIXER32:-0}" = 1 ] && note=" ($mixer32 lines as the 32-bit mixer plays them)"
echo "$frames consecutive frames and $jumps past the clock's wraps identical to x86-64 and golden;" \
  "$seconds s of sound identical to the golden list$note"
