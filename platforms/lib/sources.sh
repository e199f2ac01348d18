# shellcheck shell=bash
# Sourced by the scripts that build libraries from Debian's source packages.
#   pinned_sources_key           prints the pinned list (for cache keys)
#   fetch_sources DIR NAME...    downloads the pinned version of each named source package into
#                                DIR, checks its .dsc against the pinned SHA-256 and unpacks it
#                                into DIR/NAME-<upstream version> (dpkg-source checks the rest)
#   cache_folder NAME VALUE      prints VALUE when set (the user's override), else
#                                /var/cache/orbitra-NAME when writable, else the user's cache
#   private_source_lines [sources|list]  prints deb-src lines mirroring every enabled deb line
#                                apt reads (same archives, suites and keys), of one format or both
# Only the pinned versions are fetched, whatever source lines the machine has (none, some
# suites', all): apt reads the derived lines through a configuration of its own, with its own
# lists folder in $ORBITRA_APT_DIR (default: the orbitra-apt cache folder), and the machine's
# apt configuration is never written. A version that cannot be fetched ends the step with one
# line naming it.

# shellcheck source=packages.sh
. "$(dirname "${BASH_SOURCE[0]}")/packages.sh"
sources_list=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/deps/debian-sources.txt

cache_folder() {
  local base=${XDG_CACHE_HOME:-$HOME/.cache}
  [ ! -w /var/cache ] || base=/var/cache
  echo "${2:-$base/orbitra-$1}"
}

pinned_sources_key() { grep -v '^#' "$sources_list"; }

pinned_line() {  # NAME: prints "version sha256"
  awk -v name="$1" '!/^#/ && $1 == name { print $2, $3 }' "$sources_list"
}

private_source_lines() {
  [ "${1:-}" = list ] || package_sources sources | sed -E 's/^Types:.*/Types: deb-src/'
  [ "${1:-}" = sources ] || package_sources list | sed -E 's/^[[:space:]]*deb[[:space:]]/deb-src /'
}

# Sets apt_private to the options that make apt read the derived lines only.
private_apt() {
  local dir
  dir=${ORBITRA_APT_DIR:-$(cache_folder apt "")}
  mkdir -p "$dir/lists/partial" "$dir/parts" && rm -f "$dir/parts"/* && : >"$dir/sources.list" &&
    private_source_lines sources >"$dir/parts/orbitra.sources" &&
    private_source_lines list >"$dir/parts/orbitra.list" || return 1
  [ -s "$dir/parts/orbitra.sources" ] || [ -s "$dir/parts/orbitra.list" ] ||
    { echo "apt has no package lines to derive source lines from" >&2; return 1; }
  apt_private=(-o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts="$dir/parts"
    -o Dir::State::Lists="$dir/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
  [ "$(id -u)" -ne 0 ] || apt_private+=(-o APT::Sandbox::User=root)
}

fetch_sources() {
  local dir=$1 name version sum dsc
  shift
  mkdir -p "$dir"
  private_apt || return 1
  for name; do
    read -r version sum <<<"$(pinned_line "$name")"
    [ -n "$sum" ] || { echo "$name is not pinned in $sources_list" >&2; return 1; }
    # The lists are read again only when they lack the pinned version.
    apt-get "${apt_private[@]}" source --print-uris -qq "$name=$version" 2>/dev/null | grep -q '\.dsc' ||
      apt-get "${apt_private[@]}" -o DPkg::Lock::Timeout=600 update -qq >/dev/null 2>&1
    dsc="$dir/${name}_${version#*:}.dsc"
    if ! (cd "$dir" && apt-get "${apt_private[@]}" source -d -qq "$name=$version" \
      >"$dir/$name.fetch.log" 2>&1) || [ ! -f "$dsc" ]; then
      echo "cannot fetch the pinned source package $name=$version" >&2
      return 1
    fi
    if [ "$(sha256sum <"$dsc" | cut -d' ' -f1)" != "$sum" ]; then
      echo "$(basename "$dsc") does not match its pinned SHA-256" >&2
      return 1
    fi
    (cd "$dir" && dpkg-source -x "$dsc" >"$dir/$name.unpack.log" 2>&1) ||
      { echo "cannot unpack $(basename "$dsc"): $(tail -1 "$dir/$name.unpack.log")" >&2; return 1; }
  done
}
