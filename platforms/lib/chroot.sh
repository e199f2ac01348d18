# shellcheck shell=bash
# Sourced by the scripts that build or try the intro in a fresh Debian system. As root.
#   chroot_make DIR SUITE ARCH [PACKAGE...]  makes DIR a fresh minimal Debian system (ARCH's
#                            through binfmt_misc when foreign), with PACKAGE... included (a
#                            NAME:ARCH package through multiarch); made once with debootstrap
#                            and kept as a tarball in $ORBITRA_CHROOT_CACHE (default
#                            /var/cache/orbitra-chroot), keyed by the suite, architecture,
#                            packages and archive
#   chroot_with DIR CMD...   runs CMD, a command of this machine, in private mount and process
#                            namespaces in which DIR holds /proc, /sys and /dev (and each path
#                            in CHROOT_BINDS at the same path) and CHROOT_DIR names DIR; every
#                            process and mount ends with the call, even when it or its caller
#                            is killed
#   chroot_run DIR CMD...    the same, with CMD run inside DIR with a clean environment
#   chroot_install DIR LOG PACKAGE...  installs with apt in DIR each PACKAGE, a .deb file of
#                            this machine (copied to DIR's /tmp) or a package of the archive,
#                            apt's output in LOG
#   chroot_remove DIR        ends what still runs in DIR, unmounts what is mounted there and
#                            removes it, whatever the spelling of DIR

# shellcheck source=packages.sh
. "$(dirname "${BASH_SOURCE[0]}")/packages.sh"

chroot_make() {
  local dir=$1 suite=$2 arch=$3 mirror cache key tarball made package own=() foreign=()
  shift 3
  mirror=${ORBITRA_MIRROR:-$(debian_archive | head -n1)}
  [ -n "$mirror" ] || { echo "this machine's apt sources name no $suite archive" >&2; return 1; }
  cache=${ORBITRA_CHROOT_CACHE:-/var/cache/orbitra-chroot}
  key=$(printf '%s\n' "$suite" "$arch" "$mirror" "$@" | sha256sum | cut -c1-16)
  tarball=$cache/$suite-$arch-$key.tar
  for package; do
    case $package in *:*) foreign+=("$package") ;; *) own+=("$package") ;; esac
  done
  if [ ! -f "$tarball" ]; then
    need_packages debootstrap || return 1
    mkdir -p "$cache" && made=$(mktemp -d "$cache/make.XXXXXX") || return 1
    echo "making a $suite $arch system with debootstrap (kept in $tarball)" >&2
    if ! { debootstrap --arch="$arch" --variant=minbase ${own[0]:+"--include=$(IFS=,; echo "${own[*]}")"} \
      "$suite" "$made/root" "$mirror" && chroot_foreign "$made/root" "${foreign[@]}"; } >"$made/log" 2>&1
    then
      tail -n 5 "$made/log" >&2
      chroot_remove "$made"
      return 1
    fi
    tar -C "$made/root" -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
    chroot_remove "$made"
  fi
  chroot_remove "$dir" && mkdir -p "$dir" && tar -C "$dir" -xf "$tarball" && chroot_settle "$dir"
}

# Other architectures' packages, through apt inside the new system.
chroot_foreign() {
  [ $# -gt 1 ] || return 0
  # shellcheck disable=SC2016 # expanded by the inner shell
  chroot_settle "$1" && chroot_run "$1" sh -c 'for arch in $(printf "%s\n" "$@" | sed "s/.*://" | sort -u); do
      dpkg --add-architecture "$arch" || exit 1
    done
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "$@" && apt-get clean' sh "${@:2}"
}

# This machine's name servers and way of reaching the archive (a proxy, a snapshot's expired
# release files), none of its package sources.
chroot_settle() {
  local conf
  cp /etc/resolv.conf "$1/etc/resolv.conf" || return 1
  for conf in /etc/apt/apt.conf.d/*; do
    grep -qE '^[[:space:]]*Acquire::' "$conf" 2>/dev/null && cp "$conf" "$1/etc/apt/apt.conf.d/"
  done
  return 0
}

chroot_with() {
  local dir
  dir=$(realpath -e "$1") || return 1
  shift
  # Inside, the namespaces' first process mounts, then becomes the command; when it ends, or
  # the call or its caller is killed (the death signals), the kernel ends the rest and drops
  # the mounts. The system's folder is mounted on itself so that its / is a mount point, as a
  # machine's is: a command inside can make a mount namespace of its own.
  # shellcheck disable=SC2016 # expanded by the inner shell
  setpriv --pdeathsig KILL unshare --mount --propagation private --pid --fork --kill-child --mount-proc="$dir/proc" \
    sh -c 'dir=$1; shift
      mount --rbind "$dir" "$dir" && mount -t sysfs sysfs "$dir/sys" && mount --rbind /dev "$dir/dev" ||
        exit 125
      for path in $CHROOT_BINDS; do
        mkdir -p "$dir$path" && mount --bind "$path" "$dir$path" || exit 125
      done
      CHROOT_DIR=$dir exec "$@"' \
    sh "$dir" "$@"
}

chroot_run() {
  # shellcheck disable=SC2016 # expanded by the inner shell
  chroot_with "$1" sh -c 'exec chroot "$CHROOT_DIR" /usr/bin/env -i \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin:/usr/games \
    HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" DEBIAN_FRONTEND=noninteractive "$@"' sh "${@:2}"
}

chroot_install() {
  local dir=$1 log=$2 package packages=()
  shift 2
  for package; do
    case $package in
      *.deb) cp "$package" "$dir/tmp/" && packages+=("/tmp/$(basename "$package")") || return 1 ;;
      *) packages+=("$package") ;;
    esac
  done
  { chroot_run "$dir" apt-get update && chroot_run "$dir" apt-get install -y "${packages[@]}"; } >"$log" 2>&1
}

chroot_remove() {
  local dir pid mount
  [ -e "$1" ] || return 0
  dir=$(realpath -e "$1") || return 1
  [ "$dir" != / ] || return 1
  for pid in /proc/[0-9]*; do
    case "$(readlink "$pid/root" 2>/dev/null)" in
      "$dir" | "$dir"/*) kill -9 "${pid#/proc/}" 2>/dev/null ;;
    esac
  done
  while read -r mount; do
    umount "$mount" 2>/dev/null || umount -l "$mount"
  done < <(findmnt -rn -o TARGET | awk -v top="$dir" \
    'index($0, top) == 1 && (length($0) == length(top) || substr($0, length(top) + 1, 1) == "/")' |
    sort -r)
  rm -rf --one-file-system "$dir"
}
