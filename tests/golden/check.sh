#!/usr/bin/env bash
# The golden frames: every frame the intro draws, 20 ms apart over its first three minutes,
# and single frames past the clock's wraps, must hash exactly as recorded, and so must each
# second of its soundtrack. A change that moves one of these hashes changes what the intro
# shows or plays.
# Arguments: the frame tool, the repository root (where res/ lives), and for a build of
# another machine the program that runs it (an emulator). Each run of the tool has a time limit,
# ORBITRA_RUN_SECONDS (1800): one that never ends fails the check with a line saying so.
set -u
tool=$1 root=$2 runner=${3:-}
cd "$root" || exit 1
expected=res/golden/frames.txt
# The run the list describes: its first line, "frames" and the arguments that printed it.
read -r -a golden_args <"$expected"
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
limit=${ORBITRA_RUN_SECONDS:-1800}
run_tool() {  # WHAT ARGUMENTS...: the tool's output in $actual, or the check ends
  local what=$1 status=0
  timeout -k 10 "$limit" $runner "$tool" "${@:2}" >"$actual" || status=$?
  [ $status -ne 124 ] || { echo "FAIL: $what did not end within $limit s"; exit 1; }
  [ $status -eq 0 ] || { echo "FAIL: $what failed (status $status)"; exit 1; }
}
run_tool "the frame tool" --hashes "${golden_args[@]:1}"
if ! differences=$(diff "$expected" "$actual"); then
  echo "FAIL: frames differ from $expected; first differing line:" \
    "$(grep -m1 '^>' <<<"$differences" | cut -c3-)"
  head -20 <<<"$differences"
  exit 1
fi
# The soundtrack, second by second, as the golden sound list's usual hashes give it.
sound=res/golden/sound.txt
read -r _ seconds <"$sound"
run_tool "the soundtrack" --sound-hashes "$seconds"
if ! differences=$(cut -d' ' -f1-2 "$sound" | diff - "$actual"); then
  echo "FAIL: the soundtrack differs from $sound; first differing line:" \
    "$(grep -m1 '^>' <<<"$differences" | cut -c3-)"
  exit 1
fi
echo "$(wc -l <"$expected") golden frame hashes and $seconds s of golden sound match"
