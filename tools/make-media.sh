#!/usr/bin/env bash
# Remakes the README's pictures from the capture tool: docs/contact-sheet.png (one frame from
# each phase of the intro's first run) and docs/orbitra.webp (three seconds at twice the size,
# looping). The frames come from one run from tick 300, so each has its real history.
# The capture tool is the plain preset's (platforms/lib/native.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=/dev/null
for lib in packages native; do . "platforms/lib/$lib.sh"; done
need_packages ffmpeg imagemagick fonts-dejavu-core
capture=$(native_tool)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Tick and caption of each phase's frame, in order.
phases=(
  "1500|0-3 s: the curtain opens"
  "6000|3-10 s: the scroller alone"
  "25000|10-40 s: the chain grows"
  "42000|40-75 s: the full chain"
  "85000|75-95 s: red ball over the bars"
  "105000|95 s on: bars under a new chain"
)
shots=()
for phase in "${phases[@]}"; do shots+=(--shot "${phase%%|*}"); done
"$capture" --quiet "${shots[@]}" --shot-dir "$work"
tiles=()
for phase in "${phases[@]}"; do tiles+=(-label "${phase#*|}" "$work/frame-${phase%%|*}.png"); done
# No time stamps in the file, so the same frames give the same bytes.
montage -font DejaVu-Sans -pointsize 14 -fill '#e0e0e0' -background '#181818' \
  "${tiles[@]}" -tile 3x2 -geometry +6+6 -strip -define png:exclude-chunks=date,time \
  docs/contact-sheet.png

# The full chain over the bars in the second cycle. Lossless WebP: the flat enlarged pixels
# pack smaller without loss than with it.
"$capture" --quiet --from 125000 --seconds 3 --scale 2 --png-dir "$work/animation"
ffmpeg -loglevel error -framerate 50 -i "$work/animation/%06d.png" -c:v libwebp_anim \
  -lossless 1 -compression_level 6 -loop 0 -y docs/orbitra.webp
ls -l docs/contact-sheet.png docs/orbitra.webp >&2
