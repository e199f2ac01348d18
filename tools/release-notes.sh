#!/usr/bin/env bash
# Prints a release's NOTES.md: the changelog's entry for the version, under a heading with its
# date, and how to check a download. Usage: tools/release-notes.sh VERSION
set -euo pipefail
cd "$(dirname "$0")/.."
version=$1
# The entry's items, below its heading "## <version> - <date>".
entry=$(awk -v v="$version" '/^## / { on = ($2 == v); next } on' CHANGELOG.md | sed '/./,$!d')
[ -n "$entry" ] || { echo "CHANGELOG.md has no entry for $version" >&2; exit 1; }
echo "# orbitra $version, $(awk -v v="$version" '$1 == "##" && $2 == v { print $4 }' CHANGELOG.md)"
echo
echo "$entry"
echo
cat <<EOF
## Check what you see

Every download draws exactly the same frames and plays exactly the same sound as every other.
Each carries the golden lists of those frames' and those seconds' hashes and the SHA-256 sums of
its files, and a way to check them all on your own machine, playing and drawing the first three
minutes again:

- Linux (the packages): \`/usr/games/orbitra-capture --verify\`
- Windows (the zip): \`orbitra-capture.exe --verify\` in the unpacked folder
- the browser (the site or the single page): open it with \`?verify\` after its address, as in
  \`orbitra.html?verify\`; the line appears on the page
- the PortMaster port: \`sha256sum -c res/golden/sums.txt programs.txt\` in the port's \`orbitra\`
  folder

Each check ends with one line: "all 9004 frames and 180 s of sound identical, N files intact"
(the intro's 8 files and the download's programs: 10 on Linux, 11 on Windows, 8 in the browser),
or the first difference (the file, the second of sound, or the frame). Check the
files themselves against SHA256SUMS: \`sha256sum -c SHA256SUMS\`.
EOF
