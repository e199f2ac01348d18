# Sourced by tools/portmaster.sh: the Debian 11 (bullseye) amd64 system the port is built in,
# with Debian 11's cross compilers (GCC 10, glibc 2.31) and the ARM targets' SDL2 through
# multiarch, so the programs load on every firmware with glibc 2.31 or newer.
#   port_root DIR     makes DIR once, from a tarball cached under /var/cache/orbitra-chroot
#                     keyed by the package list (debootstrap only on the first run)
#   port_in_root DIR CMD...   runs CMD inside DIR, in a mount namespace of its own holding
#                     /proc and /dev
# Kept to these two so that the house's chroot library can take their place.

port_root_packages=(cmake make pkg-config crossbuild-essential-arm64 crossbuild-essential-armhf)
port_root_foreign=(libsdl2-dev:arm64 libsdl2-dev:armhf)

port_root() {
  local dir=$1 cache key tarball
  cache=${ORBITRA_CHROOT_CACHE:-/var/cache/orbitra-chroot}
  key=$(echo bullseye amd64 "${port_root_packages[*]}" "${port_root_foreign[*]}" |
    sha256sum | cut -c1-16)
  tarball=$cache/port-bullseye-$key.tar.gz
  [ -f "$dir/.port-root-$key" ] && return 0
  rm -rf "$dir" && mkdir -p "$dir" "$cache" || return 1
  if [ ! -f "$tarball" ]; then
    need_packages debootstrap || return 1
    echo "port: making the Debian 11 build system (debootstrap, once per machine)" >&2
    debootstrap --variant=minbase --arch=amd64 \
      --include="$(IFS=,; echo "${port_root_packages[*]}")" bullseye "$dir" \
      http://deb.debian.org/debian >"$dir.log" 2>&1 || { tail -5 "$dir.log" >&2; return 1; }
    port_in_root "$dir" sh -c 'dpkg --add-architecture arm64 && dpkg --add-architecture armhf &&
      apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
      --no-install-recommends "$@" && apt-get clean' - "${port_root_foreign[@]}" \
      >>"$dir.log" 2>&1 || { tail -5 "$dir.log" >&2; return 1; }
    tar -C "$dir" -czf "$tarball.tmp.$$" . && mv "$tarball.tmp.$$" "$tarball" || return 1
  else
    tar -C "$dir" -xzf "$tarball" || return 1
  fi
  touch "$dir/.port-root-$key"
}

port_in_root() {
  local dir=$1
  shift
  unshare -m --propagation private sh -c '
    root=$1; shift
    mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev" || exit 1
    exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"' \
    - "$dir" "$@"
}
