#!/usr/bin/env bash
# One version everywhere: the project's (CMake) is the newest in CHANGELOG.md, and the Debian
# package, its changelog, the software-centre release entry, every manual page and the release
# notes carry it, with the release's date.
# Arguments: the project version, the repository root, the build tree.
set -u
version=$1 root=$2 build=$3
failures=0
check() { # what, found, expected
  [ "$2" = "$3" ] || { echo "FAIL: $1 says '$2', not '$3'"; failures=$((failures + 1)); }
}
read -r newest date < <(sed -n 's/^## \([^ ]*\) - \([0-9-]*\)$/\1 \2/p' "$root/CHANGELOG.md" | head -1)
check "the newest entry of CHANGELOG.md" "$newest" "$version"
check "the package" "$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")" "$version"
debian=$(zcat "$build/dist/changelog.gz")
check "the Debian changelog" "$(sed -n '1s/^orbitra (\(.*\)) .*/\1/p' <<<"$debian")" "$version"
check "the Debian changelog's date" "$(date -u -d "$(sed -n 's/^ -- .*  //p' <<<"$debian" | head -1)" +%F)" "$date"
release=$(grep -o '<release [^>]*>' "$build/dist/io.github.orbitra.Orbitra.metainfo.xml" | head -1)
check "the metainfo" "$release" "<release version=\"$version\" date=\"$date\">"
for page in "$build"/dist/*.6; do
  check "$(basename "$page")" "$(sed -n 's/^\.TH [^"]*"\([^"]*\)" "\([^"]*\)".*/\1, \2/p' "$page")" \
    "$(date -u -d "$date" '+%B %Y'), orbitra $version"
done
check "the release notes' heading" "$("$root/tools/release-notes.sh" "$version" | head -1)" \
  "# orbitra $version, $date"
[ "$failures" -eq 0 ] || exit 1
echo "version $version of $date everywhere"
