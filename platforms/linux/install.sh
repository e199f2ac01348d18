#!/usr/bin/env bash
# The installed intro: install the build into a temporary prefix (with a blank in its name, as
# menu entries must quote such paths), check what a desktop reads from it (menu entry,
# software-centre data, icons, manual page), then start the program the way the menu does, from
# /, under a virtual X server, and end it with Escape. The launchers must pick the SDL 1.2 library
# the build tree's run path picks, add nothing to what the programs print and pass on their
# status.
# Arguments: the program (in its build tree), the repository root; ORBITRA_INSTALLED_ASSETS
# names the files of res/ the install must hold.
set -u
program=$1
root=$2
id=io.github.orbitra.Orbitra
work=$(mktemp -d)
trap '[ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; [ -n "${intro:-}" ] && kill "$intro" 2>/dev/null; exit 1; }

# The program sits at the top of its build tree.
prefix="$work/installed intro"
cmake --install "$(dirname "$program")" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  fail "cmake --install failed: $(cat "$work/install.log")"

# Every file in its place; the assets are the repository's own bytes.
for name in orbitra orbitra-capture; do
  [ -x "$prefix/games/$name" ] || fail "no launcher at games/$name"
  [ -x "$prefix/lib/games/orbitra/$name" ] || fail "no program at lib/games/orbitra/$name"
done
[ ! -e "$prefix/bin" ] || fail "installed in bin/: $(ls "$prefix/bin")"
[ -n "${ORBITRA_INSTALLED_ASSETS:-}" ] || fail "ORBITRA_INSTALLED_ASSETS names no files"
for asset in $ORBITRA_INSTALLED_ASSETS; do
  cmp -s "$root/res/$asset" "$prefix/share/games/orbitra/res/$asset" ||
    fail "share/games/orbitra/res/$asset is missing or differs from res/$asset"
done
desktop="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
for file in "$desktop" "$metainfo" "$prefix/share/doc/orbitra/copyright"; do
  [ -f "$file" ] || fail "not installed: ${file#"$prefix"/}"
done
grep -q '^License: MIT' "$prefix/share/doc/orbitra/copyright" || fail "the copyright file names no MIT licence"

desktop-file-validate "$desktop" >"$work/desktop.log" 2>&1 || fail "desktop entry: $(cat "$work/desktop.log")"
appstreamcli validate --no-net "$metainfo" >"$work/metainfo.log" 2>&1 ||
  fail "metainfo: $(cat "$work/metainfo.log")"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id.desktop"

# Each icon is the one the ball makes today, under the name the menu entry asks for.
grep -qx "Icon=$id" "$desktop" || fail "the menu entry asks for another icon"
"$root/platforms/linux/install/icons/make-icons.sh" "$root/res" "$work/icons" || fail "the icons cannot be made"
for size in 16 32 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  differing=$(compare -metric AE "$icon" "$work/icons/orbitra-$size.png" null: 2>&1)
  [ "$differing" = 0 ] || fail "the ${size}x${size} icon is not what the ball makes ($differing pixels differ): run platforms/linux/install/icons/make-icons.sh res platforms/linux/install/icons"
done

# Each launcher's manual page is found in section 6 and renders without a single warning; the
# capture tool's names every option its --help lists.
for name in orbitra orbitra-capture; do
  manpage="$prefix/share/man/man6/$name.6.gz"
  found=$(MANPATH="$prefix/share/man" man -w 6 "$name" 2>&1)
  [ "$found" = "$manpage" ] || fail "man finds '$found' for $name(6)"
  MANWIDTH=80 man --warnings -l "$manpage" >"$work/$name.txt" 2>"$work/man.log" || fail "man failed: $(cat "$work/man.log")"
  [ ! -s "$work/man.log" ] || fail "the manual page $name(6) renders with warnings: $(cat "$work/man.log")"
  grep -q '^NAME' "$work/$name.txt" || fail "the manual page $name(6) renders empty"
done
for option in $("$(dirname "$program")/orbitra-capture" --help 2>&1 | grep -o -- '--[a-z0-9-]*' | sort -u); do
  grep -q -- "$option" "$work/orbitra-capture.txt" || fail "orbitra-capture(6) does not explain $option"
done

# Start it as the menu does: the entry's own command, from /, where there is no res/.
exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[/{s/^Exec=//p}' "$desktop")
launch=()
eval "launch=($exec_line)"  # Exec quotes like the shell for a plain quoted path
[ ${#launch[@]} = 1 ] && [ "${launch[0]}" = "$prefix/games/orbitra" ] ||
  fail "the menu entry runs '$exec_line', not the installed program"

# shellcheck source=../lib/xdisplay.sh
source "$(dirname "$0")/../lib/xdisplay.sh"
start_virtual_display 1024x768
# In the sanitizer build: a real display brings in the desktop's own libraries, whose leaks
# are theirs; the headless tests keep checking the intro's own.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

cd / || fail "cannot enter /"
# A library path of the user's own stays ahead of the launcher's.
start_intro env SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11 \
  LD_LIBRARY_PATH="$work/own${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" "${launch[@]}"
tr '\0' '\n' <"/proc/$intro/environ" | grep -q "^LD_LIBRARY_PATH=$work/own\(:\|$\)" ||
  fail "the launcher put its own library path first: $(tr '\0' '\n' <"/proc/$intro/environ" | grep ^LD_)"

# Past the curtain the picture must show the art it loaded from the installed data.
sleep 4
import -window "$window" "$work/shot.png" || fail "no screenshot"
[ -n "${ORBITRA_SCREENSHOT:-}" ] && cp "$work/shot.png" "$ORBITRA_SCREENSHOT"
colours=$(convert "$work/shot.png" -format '%k' info:)
[ "$colours" -gt 16 ] || fail "the window shows only $colours colours"

sdl=$(grep -o '/[^ ]*libSDL-1\.2\.so[^ ]*' "/proc/$intro/maps" | head -1)
escape_ends_intro "$intro"
[ ! -s "$work/stderr" ] || fail "the intro wrote: $(cat "$work/stderr")"
# The build's choice, as ldd would list it (ldd itself cannot read an emulated program).
built_sdl=$(LD_TRACE_LOADED_OBJECTS=1 "$program" | grep -o '/[^ ]*libSDL-1\.2\.so[^ ]*')
# Compared by the library's own file name: a cross build runs on an unpacked copy.
[ "$(basename "$(realpath "$sdl")")" = "$(basename "$(realpath "$built_sdl")")" ] ||
  fail "the launcher ran it on $sdl, the build on $built_sdl"

# A failing start: the same one line and status through the launcher as from the build.
for run in "${launch[0]}" "$program"; do
  status=0
  SDL_VIDEODRIVER=none "$run" 2>>"$work/failed" || status=$?
  echo "status $status" >>"$work/failed"
done
[ "$(sort -u "$work/failed" | wc -l)" = 2 ] && grep -qx 'status 1' "$work/failed" ||
  fail "the launcher and the program fail differently: $(cat "$work/failed")"

# Both programs read the installed files, never the source tree they were built from: the
# capture tool's first frame is the golden one, and with an installed file gone each fails.
[ "$("$prefix/games/orbitra-capture" --hashes 0 20 | sed -n 2p)" = "$(sed -n 2p "$root/res/golden/frames.txt")" ] ||
  fail "the installed capture tool draws another first frame"
# The installed copy checks itself from anywhere, with the golden lists installed beside its
# files; a res/ folder in the working folder is read instead, and its failure says so.
data=$(cd "$prefix/share/games/orbitra" && pwd -P)/res
verdict=$(cd / && "$prefix/games/orbitra-capture" --verify 2>&1) &&
  [ "$verdict" = "orbitra-capture: all 9004 frames and 180 s of sound identical, 10 files intact in $data" ] ||
  fail "--verify of the installed copy from /: $verdict"
# Started from the source tree, whose res/ is intact, it still checks (and blames) its own copy.
cp "$data/zak.dat" "$work/zak.dat" && printf 'Z' | dd of="$data/zak.dat" bs=1 seek=100 conv=notrunc 2>/dev/null
verdict=$(cd "$root" && "$prefix/games/orbitra-capture" --verify 2>&1) &&
  fail "--verify passed a damaged installed zak.dat"
case $verdict in *"$data/zak.dat is damaged"*) ;; *) fail "--verify from the source tree: $verdict" ;; esac
cp "$work/zak.dat" "$data/zak.dat"
mkdir -p "$work/own/res"
(cd "$work/own" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 10 "$prefix/games/orbitra") 2>"$work/stderr"
[ "$(cat "$work/stderr")" = "Music load error! File: res/zak.dat (read from $work/own/res)" ] ||
  fail "with a res/ of its own in the working folder: $(cat "$work/stderr")"
rm "$prefix/share/games/orbitra/res/back.dat"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 10 "$prefix/games/orbitra" 2>"$work/stderr"
[ "$(cat "$work/stderr")" = "Image load error!  File: res/back.dat" ] || fail "without its back.dat: $(cat "$work/stderr")"
"$prefix/games/orbitra-capture" --hashes 0 20 >/dev/null 2>"$work/stderr" &&
  fail "the installed capture tool ran without its back.dat"
echo "installed into a prefix with a blank; entry, metainfo, icons and manual pages valid;" \
  "started from / by the menu's command on ${sdl##*/}, $colours colours shown, Escape ended" \
  "with status 0; a failed start the same through the launcher; both programs read the" \
  "installed files, and --verify passed from /"
