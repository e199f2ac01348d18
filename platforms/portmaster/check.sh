#!/usr/bin/env bash
# Checks the PortMaster zip. Arguments: files|libraries, the zip.
#   files      the required files and names, their sums and the programs', port.json's schema 4, architectures and glibc, the
#              screenshot's size, gameinfo.xml against the files, LF endings, the gamepad's
#              Start as Escape and Select as F, and the launcher's steps in their order
#   libraries  no program needs a C library newer than 2.31 or a C++ runtime newer than
#              Debian 11's (GCC 10), links no SDL 1.2 or companion dynamically, exports no
#              SDL_ name, and the zip carries no SDL2, C library or C++ runtime of its own
set -uo pipefail
mode=$1 zip=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
unzip -q "$zip" -d "$work" || fail "cannot unpack $zip"
cd "$work" || exit 1
programs=(orbitra/orbitra.aarch64 orbitra/orbitra.armhf)

if [ "$mode" = libraries ]; then
  for program in "${programs[@]}"; do
    newest() { readelf -V "$program" | grep -o " $1_[0-9.]*" | sed "s/ $1_//" | sort -V | tail -1; }
    for limit in GLIBC:2.31 GLIBCXX:3.4.28 CXXABI:1.3.12; do
      need=$(newest "${limit%:*}")
      [ -z "$need" ] || [ "$(printf '%s\n' "$need" "${limit#*:}" | sort -V | tail -1)" = "${limit#*:}" ] ||
        fail "$program needs ${limit%:*} $need, newer than ${limit#*:}"
    done
    needed=$(readelf -d "$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | tr '\n' ' ')
    [[ " $needed" == *" libSDL2-2.0.so.0 "* ]] || fail "$program does not use the device's SDL2"
    for name in $needed; do
      case "$name" in
        libSDL2-2.0.so.0 | libstdc++.so.6 | libm.so.6 | libgcc_s.so.1 | libc.so.6 | libdl.so.2 | \
          libpthread.so.0 | ld-linux-aarch64.so.1 | ld-linux-armhf.so.3) ;;
        *) fail "$program needs $name, which is not on every device" ;;
      esac
    done
    # SDL 1.2's names stay inside: exported, they would stand in for SDL2's own of the same
    # names wherever SDL2 calls them directly (an SDL2 built without its dynamic API).
    exported=$(readelf --dyn-syms -W "$program" | awk '$7 != "UND" && $8 ~ /^SDL_/ {print $8}')
    [ -z "$exported" ] ||
      fail "$program exports $(wc -w <<<"$exported") SDL_ names: $(paste -sd ' ' <<<"$exported" | head -c 200)"
  done
  carried=$(find . -name 'libSDL2*' -o -name 'libc.so*' -o -name 'libstdc++*' -o -name 'ld-linux*')
  [ -z "$carried" ] || fail "the zip carries $carried"
  echo "libraries: glibc <= 2.31, Debian 11's C++ runtime, only the device's libraries, no SDL_ exports"
  exit 0
fi

for file in Orbitra.sh orbitra/port.json orbitra/README.md orbitra/screenshot.png \
  orbitra/gameinfo.xml orbitra/orbitra.gptk "${programs[@]}" orbitra/res/bigFont.ttf; do
  [ -s "$file" ] || fail "no $file"
done
for part in orbitra bigFont; do [ -s "orbitra/licenses/LICENSE.$part.txt" ] || fail "no $part licence"; done
ls orbitra/licenses | grep -vx 'LICENSE\..*\.txt' && fail "licences not named LICENSE.<part>.txt"
ls -d */ | grep -qvx 'orbitra/' && fail "other folders than orbitra/: $(ls -d */)"
[ -x Orbitra.sh ] || fail "the launcher is not executable"
(cd orbitra && sha256sum --quiet -c res/golden/sums.txt programs.txt) ||
  fail "the files or programs differ from their sums"
for file in Orbitra.sh orbitra/port.json orbitra/gameinfo.xml orbitra/orbitra.gptk; do
  grep -q $'\r' "$file" && fail "$file has CR line endings"
done
glibc=$(readelf -V "${programs[@]}" | grep -o ' GLIBC_[0-9.]*' | sed 's/ GLIBC_//' | sort -V | tail -1)
python3 - "$(basename "$zip")" "$glibc" <<'EOF' || exit 1
import json, struct, sys, xml.etree.ElementTree as tree
def fail(why): print("FAIL:", why); sys.exit(1)
port = json.load(open("orbitra/port.json"))
named = [port.get("version"), port.get("name"), sys.argv[1], port.get("items")]
if named != [4, "orbitra.zip", "orbitra.zip", ["Orbitra.sh", "orbitra"]]: fail("port.json: %s" % named)
attr = port["attr"]
for field in ("title", "desc", "desc_md", "inst", "inst_md", "genres", "porter", "image", "rtr",
              "exp", "runtime", "store", "availability", "reqs", "arch", "min_glibc"):
    if field not in attr: fail("port.json has no attr." + field)
if [attr["arch"], attr["rtr"], attr["genres"], attr["runtime"], attr["min_glibc"]] != \
        [["aarch64", "armhf"], True, ["other"], [], sys.argv[2]]: fail("port.json: %s" % attr)
with open("orbitra/screenshot.png", "rb") as png:
    head = png.read(24)
if head[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", head[16:24]) != (640, 480):
    fail("the screenshot is not a 640x480 PNG")
game = tree.parse("orbitra/gameinfo.xml").find("game")
if game is None or game.findtext("path") != "./Orbitra.sh" or game.findtext("name") != attr["title"]:
    fail("gameinfo.xml does not name the launcher and the title")
import os
if not os.path.isfile(game.findtext("image") or ""): fail("gameinfo.xml's image is missing")
EOF
grep -qx 'start = esc' orbitra/orbitra.gptk || fail "Start is not Escape"
grep -qx 'back = f' orbitra/orbitra.gptk || fail "Select is not F, the key that switches sharp fill"
# The launcher's steps, each once and in this order.
last=0
for pattern in 'source .*control\.txt' '^trap finish EXIT' '^get_controls' '^GAMEDIR="/\$directory/' \
  'LD_LIBRARY_PATH=.*libs\.\$\{DEVICE_ARCH\}\$\{LD_LIBRARY_PATH:\+:' 'SDL_GAMECONTROLLERCONFIG=' \
  '^"\$\{keys\[@\]\}" .*orbitra\.gptk' '^keys_pid=\$!' '^pm_platform_helper' \
  '^"\./orbitra\.\$\{DEVICE_ARCH\}"'; do
  line=$(grep -nE "$pattern" Orbitra.sh | cut -d: -f1)
  [ "$(wc -w <<<"$line")" = 1 ] || fail "the launcher has ${line:-no} lines for $pattern"
  [ "$line" -gt "$last" ] || fail "the launcher's $pattern comes too early"
  last=$line
done
echo "port: files, names, port.json, 640x480 screenshot, gameinfo.xml, LF endings, launcher steps"
