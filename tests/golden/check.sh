#!/usr/bin/env bash
# The golden frames: every frame the intro draws, 20 ms apart over its first three minutes,
# and single frames past the clock's wraps, must hash exactly as recorded, and so must each
# second of its soundtrack. A change that moves one of these hashes changes what the intro
# shows or plays.
# Arguments: the frame tool, the repository root (where res/ lives), and for a build of
# another machine the program that runs it (an emulator).
set -u
tool=$1 root=$2 runner=${3:-}
cd "$root" || exit 1
expected=res/golden/frames.txt
# The run the list describes: its first line, "frames" and the arguments that printed it.
read -r -a golden_args <"$expected"
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
$runner "$tool" --hashes "${golden_args[@]:1}" >"$actual" || { echo "FAIL: the frame tool failed"; exit 1; }
if ! differences=$(diff "$expected" "$actual"); then
  echo "FAIL: frames differ from $expected; first differing line:" \
    "$(grep -m1 '^>' <<<"$differences" | cut -c3-)"
  head -20 <<<"$differences"
  exit 1
fi
# The soundtrack, second by second, as the golden sound list's usual hashes give it.
sound=res/golden/sound.txt
read -r _ seconds <"$sound"
$runner "$tool" --sound-hashes "$seconds" >"$actual" || { echo "FAIL: the soundtrack failed"; exit 1; }
if ! differences=$(cut -d' ' -f1-2 "$sound" | diff - "$actual"); then
  echo "FAIL: the soundtrack differs from $sound; first differing line:" \
    "$(grep -m1 '^>' <<<"$differences" | cut -c3-)"
  exit 1
fi
echo "$(wc -l <"$expected") golden frame hashes and $seconds s of golden sound match"
