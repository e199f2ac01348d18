#!/usr/bin/env bash
# What the intro costs, printed as a table: per phase, the instructions a frame takes (callgrind,
# the same on a busy machine) and its CPU time as a share of the 20 ms frame; the time from exec
# to the first flipped frame; and the whole process's processor share over a real 30 s run.
# Headless throughout. Not part of the test suite: it takes about two minutes.
# Usage: tools/bench/run-bench.sh [build-dir]      (needs valgrind and GNU time)
# The figures are for the SDL 1.2 library the programs load (printed first); to measure the
# classic library where the compatibility one is installed, run it with
# LD_LIBRARY_PATH=/usr/lib/$(gcc -print-multiarch).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
for tool in valgrind /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "run-bench: $tool is missing (Debian: apt-get install valgrind time)" >&2; exit 1; }
done
cmake --build "$build" --target orbitra framecost firstflip -j"$(nproc)" >/dev/null
cd "$root"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
framecost=$build/tools/bench/framecost
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

sdl=$(ldd "$build/orbitra" | awk '/libSDL-1.2/ {print $3}')
echo "SDL 1.2 library in use: $sdl"

# Instructions: each phase window dumps its own counts; only the drawing thread's, as the
# audio thread's share grows with the time valgrind takes.
valgrind --tool=callgrind --instr-atstart=no --separate-threads=yes \
  --callgrind-out-file="$work/cg.out" "$framecost" phases >/dev/null 2>&1
for dump in "$work"/cg.out.*-01; do
  name=$(sed -n 's/^desc: Trigger: Client Request: //p' "$dump")
  count=$(sed -n 's/^summary: //p' "$dump")
  echo "$name $count"
done >"$work/instructions"

# CPU time: the best of three runs for each phase, as others share the machine.
for _ in 1 2 3; do "$framecost" phases 2>&1 | tail -n +2; done >"$work/times"

echo
printf '%-20s %7s %14s %13s %9s\n' phase "from ms" "M instr/frame" "CPU ms/frame" "of 20 ms"
awk 'NR == FNR { instr[$1] = $2; next }
     !($1 in best) || $3 < best[$1] { best[$1] = $3; from[$1] = $2; if (!($1 in order)) order[$1] = ++n }
     END {
       for (name in order) sorted[order[name]] = name
       for (i = 1; i <= n; ++i) {
         name = sorted[i]
         printf "%-20s %7d %14.2f %13.3f %8.1f%%\n", name, from[name], instr[name] / 50 / 1e6, best[name], best[name] / 20 * 100
       }
     }' "$work/instructions" "$work/times"

echo
ORBITRA_FIRST_FLIP_LIBRARY=$build/tools/bench/libfirstflip.so "$framecost" startup "$build/orbitra" 20 2>&1

# A real run: the program's own clock, limiter and music, ended after 30 s as by a user.
/usr/bin/time -f "%U %S %e" -o "$work/run" timeout -s INT 30 "$build/orbitra" 2>/dev/null || true
tail -n 1 "$work/run" | awk '{ printf "processor share over a %.0f s run: %.1f%% (%.2f s user, %.2f s system)\n", $3, ($1 + $2) / $3 * 100, $1, $2 }'
