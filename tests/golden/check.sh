#!/usr/bin/env bash
# The golden frames: every frame the intro draws, 20 ms apart over its first three minutes,
# and single frames past the clock's wraps, must hash exactly as recorded. A change that moves
# one of these hashes changes what the intro shows.
# Arguments: the frame tool, the repository root (where res/ lives).
set -u
tool=$1
root=$2
cd "$root" || exit 1
expected=tests/golden/frames.txt
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$tool" --hashes 180000 250 330890 655360 858993459 >"$actual" || { echo "FAIL: the frame tool failed"; exit 1; }
if ! diff -q "$expected" "$actual" >/dev/null; then
  first=$(diff "$expected" "$actual" | grep -m1 '^>' | cut -c3-)
  echo "FAIL: frames differ from $expected; first differing line: $first"
  diff "$expected" "$actual" | head -20
  exit 1
fi
echo "$(wc -l <"$expected") golden frame hashes match"
