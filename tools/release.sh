#!/usr/bin/env bash
# Makes every download of one version in release/<version>/ (README.md's "Releases" lists
# them), as root on Debian 12 from a clean checkout. Each platform of platforms/list.txt makes
# its downloads with its platform.sh's own checks; then the release itself is checked, platform
# by platform: the packages installed in fresh Debian systems of their architecture, the zip in a
# fresh Wine prefix and the page from file:// in the browsers, each proving its frames with
# --verify. Prints a table of the files and
# their sizes; ends with status 1 when any step failed or was left out.
# The same commit gives the same bytes: its time is SOURCE_DATE_EPOCH, build paths are mapped
# out, archives are sorted with fixed times and owners. `--twice` proves it: two runs in two
# fresh clones at different paths, compared file by file (diffoscope explains a difference).
#   ORBITRA_STEPS="native video ..."   only these steps (exact names as in the table)
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$PWD
say() { echo "release: $*" >&2; }
# shellcheck source=../platforms/lib/packages.sh
. platforms/lib/packages.sh

# --- Twice: two releases of HEAD in two clones, compared --------------------------------------
if [ "${1:-}" = --twice ]; then
  head=$(git rev-parse HEAD) || exit 1
  work=$(mktemp -d /var/tmp/orbitra-twice.XXXXXX)
  status=0
  # Two folders of different depth and name, so that no path of the first run can match.
  for clone in "$work/first/orbitra" "$work/second-run/src/orbitra-release"; do
    mkdir -p "$(dirname "$clone")"
    git clone -q --no-local "$root" "$clone" && git -C "$clone" checkout -q "$head" || exit 1
    say "release in $clone (log: $clone.log)"
    "$clone/tools/release.sh" >"$clone.log" 2>&1 || { say "the release in $clone failed"; status=1; }
    tail -n 20 "$clone.log" >&2
  done
  first=$(ls -d "$work"/first/orbitra/release/*/ 2>/dev/null | head -1)
  second=$(ls -d "$work"/second-run/src/orbitra-release/release/*/ 2>/dev/null | head -1)
  [ -n "$first" ] && [ -n "$second" ] || { say "a run made no release"; exit 1; }
  if diff -u "$first/SHA256SUMS" "$second/SHA256SUMS" >&2; then
    say "identical: every line of SHA256SUMS the same ($(wc -l <"$first/SHA256SUMS") files)"
  else
    status=1
    need_packages diffoscope-minimal
    for file in "$first"/*; do
      name=$(basename "$file")
      cmp -s "$file" "$second/$name" && continue
      say "$name differs: $work/$name.diffoscope.txt"
      diffoscope --text "$work/$name.diffoscope.txt" "$file" "$second/$name" >/dev/null 2>&1
      head -n 40 "$work/$name.diffoscope.txt" | cut -c1-200 >&2
    done
  fi
  say "both runs and their logs are in $work"
  exit $status
fi

# --- The same files from every run --------------------------------------------------------------
[ "$(id -u)" = 0 ] || { say "run as root: the checks use debootstrap and chroot"; exit 1; }
if [ -n "$(git status --porcelain)" ]; then
  say "the checkout has changes; a release is made from a clean one:"
  git status --short >&2
  exit 1
fi
# What the steps before each script's own installs need, on a machine that has never built it.
{ tools/install-deps.sh test && need_packages debootstrap zip unzip; } >&2 ||
  { say "cannot install the packages a release needs"; exit 1; }
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022
# Read by CMake when each build is first configured: no path of this checkout in any output.
export CFLAGS="-ffile-prefix-map=$root=." CXXFLAGS="-ffile-prefix-map=$root=."
# shellcheck source=../platforms/lib/steps.sh
. platforms/lib/steps.sh
steps_logs=$root/build-release/logs

# The plain project as the Debian package is built: Debian's flags, no tests.
cmake --preset release >/dev/null && cmake --build --preset release -j"$(nproc)" >/dev/null ||
  { say "the release build failed"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-release/CMakeCache.txt)
[ -n "$version" ] || { say "no version from the CMake project"; exit 1; }
out=$root/release/$version
if [ -e "$out" ]; then
  kept=$out.before-$(date -u +%Y%m%dT%H%M%S)
  mv "$out" "$kept" && say "the release folder there before is kept as $kept" || exit 1
fi
mkdir -p "$out"
say "orbitra $version, SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" +%F))"

# --- The files ----------------------------------------------------------------------------------
platform_steps "" release "$out"

# One whole run: from the first frame past the end of the first ball cycle and its reset (95 s).
step video build-release/orbitra-capture --quiet --seconds 100 --fit 1920x1080 --web \
  -o "$out/orbitra-$version-1080p.mp4"

tar_gz() { git archive --format=tar --prefix="orbitra-$version/" HEAD | gzip -9 -n >"$1"; }
step source tar_gz "$out/orbitra-$version.tar.gz"

# The release's notes: the changelog's entry for this version, and how to check a download.
step notes sh -c 'tools/release-notes.sh "$0" >"$1"' "$version" "$out/NOTES.md"

# --- The release, checked -----------------------------------------------------------------------
platform_steps check- release-check "$out"
frame_md5s() { ffmpeg -v error "$@" -pix_fmt rgb24 -f framemd5 - | awk -F, '!/^#/ { print $NF }'; }
video_check() {
  local streams tmp=build-release/video-check
  # One H.264 picture at 1920x1080 for 100 s, and one sound as long (AAC ends within a frame).
  local wanted=$'^h264,1920,1080,(99\\.9|100\\.0)[0-9]*\naac,(99\\.9|100\\.0)[0-9]*$'
  streams=$(ffprobe -v error -show_entries stream=codec_name,width,height,duration -of csv=p=0 \
    "$out/orbitra-$version-1080p.mp4") || return 1
  echo "$streams"
  [[ $streams =~ $wanted ]] || return 1
  # H.264 for the web is lossy: the lossless video of the same run must decode to exactly the
  # frames the capture tool writes as pictures.
  rm -rf "$tmp" && mkdir -p "$tmp/png"
  build-release/orbitra-capture --quiet --seconds 100 -o "$tmp/lossless.mkv" &&
    build-release/orbitra-capture --quiet --seconds 100 --png-dir "$tmp/png" || return 1
  frame_md5s -i "$tmp/lossless.mkv" -map 0:v >"$tmp/video.md5"
  frame_md5s -framerate 50 -i "$tmp/png/%06d.png" >"$tmp/png.md5"
  [ "$(wc -l <"$tmp/png.md5")" = 5000 ] && cmp "$tmp/video.md5" "$tmp/png.md5" &&
    echo "5000 frames of the lossless video equal the capture tool's pictures"
}
step check-video video_check

# --- What was made ------------------------------------------------------------------------------
# Sums only for a whole release that passed every check; anything less says so instead.
steps_seal "$out"
echo
echo "== orbitra $version: release/$version =="
(cd "$out" && stat -c '%-40n %12s bytes' -- *)
steps_summary && [ "$steps_skipped" -eq 0 ]
