#!/usr/bin/env bash
# Makes the menu icons from the intro's own red ball (res/rball.dat, 56x56 on a magenta key).
# The key becomes transparent and the ball gets a 4-pixel margin (64x64); every other size is a
# whole factor of that, so pixels are repeated (nearest neighbour) going up and averaged in
# whole blocks going down, never resampled at odd ratios. The output is committed; run this
# again only when the ball changes, then look at the results.
# Usage: platforms/linux/install/icons/make-icons.sh <res-dir> <out-dir>   (writes orbitra-<size>.png)
set -euo pipefail
res=$1 out=$2
mkdir -p "$out"
base=$(mktemp --suffix=.png)
trap 'rm -f "$base"' EXIT

# Exact key colour only: the ball has no pixel blended towards magenta.
convert "$res/rball.dat" -alpha set -transparent '#FF00FF' \
  -background none -gravity center -extent 64x64 "PNG32:$base"

# Without time stamps the same ball always gives the same bytes.
for scale in 16:25% 32:50% 64:100% 128:200% 256:400%; do
  size=${scale%%:*}
  convert "$base" -scale "${scale#*:}" -strip -define png:exclude-chunks=date,time \
    "PNG32:$out/orbitra-$size.png"
done
