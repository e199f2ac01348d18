#!/usr/bin/env bash
# The frame checks themselves: stand-in frame tools print prepared hash lists, and the frame
# check of another build (framecheck.sh) must pass only on identical lists that agree with the
# golden file, and otherwise name the first differing frame; the golden check (golden/check.sh)
# must fail on the golden run's last frame or last second changed, or on the 32-bit player's
# sound. A tool that fails or never ends fails either; each run has the default time limit and
# 10 s of grace. Argument: the repository root.
set -u
exec 1>&2
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 1
check=$PWD/tests/framecheck.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A list as the frame tool prints it: every frame 20 ms apart to the golden end, with the golden
# hashes at the golden sample points and made-up ones between, then the golden "all" and jump
# lines.
read -r -a golden_run <res/golden/frames.txt  # "frames <end> <every> <jump>..."
end=${golden_run[1]} jumps=("${golden_run[@]:3}")
frames=$((end / 20 + 1))
awk -v end="$end" -v jumps="${jumps[*]}" 'NR == FNR { if ($1 == "all") after = 1; if (after) tail[++n] = $0; else golden[$1] = $2; next }
     END {
       printf "frames %d 20 %s\n", end, jumps
       for (tick = 0; tick <= end; tick += 20)
         printf "%d %s\n", tick, (tick in golden) ? golden[tick] : sprintf("%016x", tick * 7919)
       for (i = 1; i <= n; ++i) print tail[i]
     }' <(tail -n +2 res/golden/frames.txt) /dev/null >"$work/good"

# The sound list as a tool prints it: the golden one's usual hashes. Asked for frames, a tool
# fails unless asked for the golden run with every frame listed.
cut -d' ' -f1-2 res/golden/sound.txt >"$work/sound"
export GOOD_RUN="--hashes $(sed -n '1s/^frames //p' "$work/good")"
GOLDEN_RUN="--hashes $(sed -n '1s/^frames //p' res/golden/frames.txt)" LIST_golden=res/golden/frames.txt
SOUND_RUN="--sound-hashes $(sed -n '1s/^sound //p' res/golden/sound.txt)"
export GOLDEN_RUN LIST_golden SOUND_RUN
for side in native arm golden; do
  run=GOOD_RUN
  [ $side != golden ] || run=GOLDEN_RUN
  # shellcheck disable=SC2016 # expanded by the stand-in when it runs
  printf '#!/bin/sh\n[ -n "$FAIL_%s" ] && exit 3\n[ -n "$HANG_%s" ] && exec sleep 60\n[ "$*" = "$SOUND_RUN" ] && exec cat "${SOUND_%s:-%s}"\n[ "$*" = "$%s" ] || exit 4\ncat "$LIST_%s"\n' \
    "$side" "$side" "$side" "$work/sound" "$run" "$side" >"$work/$side"
  chmod +x "$work/$side"
done
failures=0 cases=0
# check DESCRIPTION STATUS TEXT [ARM-LIST [NATIVE-LIST]]: the check's status (0 or 1) and its
# output, line by line, begins with TEXT's lines, with the good list where none is given; the
# check run is $checker's. Every time limit it gives is logged in $work/limits.
checker=("$check" "$work/native" "$work/arm" env "$PWD")
mkdir "$work/bin" && printf '#!/bin/sh\necho "$1 $2 $3" >>%s/limits\nexec /usr/bin/timeout "$@"\n' "$work" \
  >"$work/bin/timeout" && chmod +x "$work/bin/timeout"
check() {
  local output status=0
  output=$(PATH=$work/bin:$PATH LIST_native=${5:-$work/good} LIST_arm=${4:-$work/good} "${checker[@]}" 2>&1) ||
    status=$?
  cases=$((cases + 1))
  if [ "$status" -ne "$2" ] || ! awk -v want="$3" 'BEGIN { lines = split(want, line, "\n") }
    index($0, line[NR]) != 1 { bad = 1 } END { exit bad || NR != lines }' <<<"$output"; then
    failures=$((failures + 1))
    echo "FAIL: $1: status $status, output: $output"
  fi
}
limits() {  # DEFAULT: every run so far was limited to DEFAULT s, with a grace of 10 s
  cases=$((cases + 1))
  [ "$(sort -u "$work/limits")" = "-k 10 $1" ] || { failures=$((failures + 1)); echo "FAIL: limits $(cat "$work/limits")"; }
  rm "$work/limits"
}
altered() {  # LINE [LIST] -> a copy of the list (the good one) with that line's hash changed
  local list=${2:-$work/good} copy
  copy=$work/$(basename "$list")-$1
  awk -v l="$1" 'NR == l { $2 = "0123456789abcdef" } { print }' "$list" >"$copy"
  echo "$copy"
}

seconds=$(sed -n '1s/^sound //p' res/golden/sound.txt)
ok="$frames consecutive frames and ${#jumps[@]} past the clock's wraps identical to x86-64 and golden; $seconds s of sound"
check "identical lists, each run limited to 3600 s" 0 "$ok identical to the golden list"
limits 3600
check "a differing frame in the run" 1 $'x86-64: 86420 \nFAIL: the ARM frames differ from x86-64 first at frame 4321 (tick 86420)' \
  "$(altered 4323)"
check "a differing jump frame" 1 $'x86-64: \nFAIL: the ARM frames differ from x86-64 first at the jump frame at tick '"${jumps[1]}" \
  "$(altered $((frames + 4)))"
head -n 5000 "$work/good" >"$work/short"
check "a list cut short" 1 "FAIL: x86-64 printed $((frames + 2 + ${#jumps[@]})) lines, the ARM tool 5000" "$work/short"
FAIL_arm=1 check "the ARM tool failing" 1 "FAIL: the ARM frame tool failed under env (3)"
SOUND_arm=/nonexistent check "the ARM tool's soundtrack failing" 1 $'cat: \nFAIL: the ARM tool\'s soundtrack failed under env'
same=$(altered 14)  # tick 240 is no golden sample; tick 260, the next line, is one
check "identical lists off the golden sample" 0 "$ok" "$same" "$same"
same=$(altered 15)
check "identical lists that disagree with the golden file" 1 "FAIL: the ARM frames match x86-64 but not res/golden/frames.txt; \
first difference:"$'\n2c2\n< 260 \n---\n> 260 0123456789abcdef' "$same" "$same"
awk 'NR == 32 { $2 = "0123456789abcdef" } { print }' "$work/sound" >"$work/sound-altered"
differs="FAIL: the ARM soundtrack differs from res/golden/sound.txt first at line 32: 30"
SOUND_arm=$work/sound-altered check "a second of sound that differs" 1 "$differs 0123456789abcdef"
HANG_arm=1 ORBITRA_RUN_SECONDS=1 check "an ARM tool that never ends" 1 \
  $'the ARM frame tool did not end within 1 s\nFAIL: the ARM frame tool failed under env (124)'
awk '{ print $1, $NF }' res/golden/sound.txt >"$work/sound-32"
SOUND_arm=$work/sound-32 check "the 32-bit player's sound from a 64-bit build" 1 "$differs $(sed -n '32s/.* //p' "$work/sound-32")"
SOUND_arm=$work/sound-32 ORBITRA_MIXER32=1 check "the 32-bit player's sound from its build" 0 \
  "$ok identical to the golden list ($(awk 'NF == 3' res/golden/sound.txt | wc -l) lines as the 32-bit mixer plays them)"

# The golden check, of the golden run's list itself, with its last frame (frame 9000) changed,
# its last second of sound changed, the 32-bit player's sound, a tool that fails or never ends.
checker=(bash tests/golden/check.sh "$work/golden" "$PWD")
rm -f "$work/limits"
check "the golden run, each run limited to 1800 s" 0 "$(wc -l <res/golden/frames.txt) golden frame hashes and $seconds s of golden sound match"
limits 1800
last=$(($(grep -n '^all ' res/golden/frames.txt | cut -d: -f1) - 1))
LIST_golden=$(altered $last res/golden/frames.txt) check "the last frame changed" 1 \
  "FAIL: frames differ from res/golden/frames.txt; first differing line: $end 0123456789abcdef"$'\n'"${last}c$last"$'\n< \n---\n> '
differs="FAIL: the soundtrack differs from res/golden/sound.txt; first differing line:"
SOUND_golden=$(altered $(($(wc -l <"$work/sound") - 1)) "$work/sound") check \
  "the last second changed" 1 "$differs 179 0123456789abcdef"
SOUND_golden=$work/sound-32 check "the 32-bit player's sound" 1 "$differs 30 $(sed -n '32s/.* //p' "$work/sound-32")"
FAIL_golden=1 check "a tool that fails" 1 "FAIL: the frame tool failed (status 3)"
HANG_golden=1 ORBITRA_RUN_SECONDS=1 check "a tool that never ends" 1 "FAIL: the frame tool did not end within 1 s"

echo "frame check self-test: $((cases - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
