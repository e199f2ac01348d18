# Sourced by the scripts that build libraries from Debian's source packages.
#   pinned_sources_key           prints the pinned list (for cache keys)
#   fetch_sources DIR NAME...    downloads the pinned version of each named source package into
#                                DIR, checks its .dsc against the pinned SHA-256 and unpacks it
#                                into DIR/NAME-<upstream version> (dpkg-source checks the rest)
# Only the pinned versions are fetched, whatever suites the machine's apt sources list. Where
# apt knows no source packages at all, source lines are derived from the machine's own package
# lines (same archives, suites and keys) as root. A version that cannot be fetched ends the
# step with one line naming it.

sources_list=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/deps/debian-sources.txt

pinned_sources_key() { grep -v '^#' "$sources_list"; }

pinned_line() {  # NAME: prints "version sha256"
  awk -v name="$1" '!/^#/ && $1 == name { print $2, $3 }' "$sources_list"
}

# Writes deb-src stanzas mirroring the enabled deb ones (deb822 files and one-line lists).
derive_source_lines() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk 'BEGIN { RS = ""; ORS = "\n\n" } /(^|\n)Types:[^\n]*(^| )deb( |\n|$)/' "$file" |
      sed -E 's/^Types:.*/Types: deb-src/'
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    sed -n -E 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file"
  done
}

ensure_source_lines() {
  local name=$1 version
  version=$(pinned_line "$name" | cut -d' ' -f1)
  apt-get source --print-uris -qq "$name=$version" 2>/dev/null | grep -q '\.dsc' && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "apt knows no source package $name=$version: run as root to add source lines" >&2
    return 1
  fi
  local derived=/etc/apt/sources.list.d/orbitra-sources
  if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    : # source lines exist: the package lists may only be stale
  else
    local lines
    lines=$(derive_source_lines)
    case "$lines" in
      Types:*) printf '%s\n' "$lines" >"$derived.sources" ;;
      ?*) printf '%s\n' "$lines" >"$derived.list" ;;
      *) echo "apt has no package sources to derive source lines from" >&2; return 1 ;;
    esac
    echo "Added source lines derived from the machine's package sources" >&2
  fi
  apt-get -o DPkg::Lock::Timeout=600 update -qq >/dev/null 2>&1 || true
}

fetch_sources() {
  local dir=$1 name version sum dsc
  shift
  mkdir -p "$dir"
  for name; do
    read -r version sum <<<"$(pinned_line "$name")"
    [ -n "$sum" ] || { echo "$name is not pinned in $sources_list" >&2; return 1; }
    ensure_source_lines "$name" || return 1
    dsc="$dir/${name}_${version#*:}.dsc"
    if ! (cd "$dir" && apt-get source -d -qq -o APT::Sandbox::User=root "$name=$version" \
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
