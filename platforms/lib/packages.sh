# shellcheck shell=bash
# Sourced by the project's scripts: installs the Debian packages a step needs when missing.
#   need_packages NAME[:ARCH]...
# A package counts as present only when installed for this machine's own architecture (or as
# "all"): an arm64 copy of a -dev package, installed for a cross build, does not let a native
# build find its library. NAME:ARCH asks for that architecture's copy. As root the missing
# ones are installed (the package lists refreshed first); otherwise the function names them
# and the command to install them, and returns 1.

packages_native=$(dpkg --print-architecture)

package_installed() {
  local name=${1%%:*} arch=${1#*:}
  [ "$arch" = "$1" ] && arch=$packages_native
  # dpkg-query answers for the names it knows but fails for an "all" package's NAME:ARCH.
  local status
  status=$(dpkg-query -W -f='${Status} ${Architecture}\n' "$name:$arch" "$name" 2>/dev/null) || true
  grep -Eq "^install ok installed ($arch|all)\$" <<<"$status"
}

need_packages() {
  local missing=() package
  for package; do
    package_installed "$package" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Run this command as root, or first: sudo apt-get install ${missing[*]}" >&2
    return 1
  fi
  echo "Installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq &&
    apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# package_sources sources|list: the enabled package sources apt reads, as deb822 stanzas (a
# blank line after each) or as one-line entries.
package_sources() {
  local list parts file
  eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
  if [ "$1" = sources ]; then
    for file in "$parts"/*.sources; do
      [ -f "$file" ] || continue
      awk 'BEGIN { RS = ""; ORS = "\n\n" } /(^|\n)Types:[^\n]*(^| )deb( |\n|$)/ &&
        !/(^|\n)Enabled:[ \t]*no/' "$file"
    done
  else
    for file in "$list" "$parts"/*.list; do
      [ -f "$file" ] || continue
      sed -n -E '/^[[:space:]]*deb[[:space:]]/p' "$file"
    done
  fi
}

# Prints the address of the Debian 12 archive this machine installs from (the first package
# source carrying the bookworm suite), for debootstrap.
debian_archive() {
  package_sources sources | awk 'BEGIN { RS = "" } /(^|\n)Suites:[^\n]* bookworm( |\n|$)/ &&
    match($0, /(^|\n)URIs:[ \t]*[^ \t\n]+/) {
      uri = substr($0, RSTART, RLENGTH); sub(/^\n?URIs:[ \t]*/, "", uri); print uri }'
  package_sources list | sed -n -E \
    's/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]+bookworm[[:space:]].*/\2/p'
} 2>/dev/null
