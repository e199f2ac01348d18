# shellcheck shell=bash
# Sourced by the scripts that run ARM programs through qemu-user. binfmt_misc belongs to the
# whole kernel, and what is registered there lasts only while some mount of it exists: a
# machine without systemd has none, so a registration made under a mount that ends with the
# call is gone when the call returns.
#   binfmt_hold "$@"       first thing in a script (as root): runs the script anew, with its
#                          arguments, in a mount namespace of its own with binfmt_misc mounted,
#                          so that registrations last for the whole run and end with it; the
#                          machine's own mounts stay as they are. Nothing to do where
#                          binfmt_misc is mounted already (a systemd machine, a caller's hold)
#   binfmt_qemu ARCH [LOADER]  true when ARCH's programs (arm64, armhf) start by plain exec:
#                          an enabled registration is kept, else (as root) Debian's rule is
#                          registered, whose F flag finds the interpreter inside a chroot too.
#                          The proof is LOADER, ARCH's glibc loader (default: the one of
#                          Debian's libc6-ARCH-cross), started after registering
#   binfmt_reset NAME...   (as root) each qemu-NAME registered anew by Debian's rule, so that it
#                          runs this machine's interpreter, or removed where it has none
#   binfmt_names           prints the NAME of each qemu-NAME registered
# arch_names ARCH sets triplet, qemu_name, loader and device for arm64 and armhf from the one
# table of the ARM architectures (arches.txt).

arch_names() {
  read -r _ triplet qemu_name loader device < <(awk -v arch="$1" '!/^#/ && $1 == arch' \
    "$(dirname "${BASH_SOURCE[0]}")/arches.txt")
}

binfmt_hold() {
  # Mounted where its register file shows: a mount hidden under a later /proc is none.
  [ -e /proc/sys/fs/binfmt_misc/register ] && return 0
  [ "$(id -u)" -eq 0 ] || return 0
  # The mount that fails (no binfmt_misc in this kernel) leaves the script to run without.
  # shellcheck disable=SC2016 # expanded by the inner shell
  exec unshare --mount --propagation private sh -c 'mount -t binfmt_misc binfmt_misc \
    /proc/sys/fs/binfmt_misc 2>/dev/null; exec "$@"' sh "$BASH" "$(realpath "$0")" "$@"
}

# shellcheck disable=SC2016 # expanded by the inner shell
binfmt_in() {  # CMD [ARG...]: CMD evaluated in binfmt_misc's folder, ARGs from $2
  unshare --mount --propagation private sh -c 'mount -t binfmt_misc binfmt_misc \
    /proc/sys/fs/binfmt_misc 2>/dev/null; cd /proc/sys/fs/binfmt_misc && eval "$1"' sh "$@"
}

binfmt_reset() {
  binfmt_in 'shift; for name; do [ ! -e "qemu-$name" ] || echo -1 >"qemu-$name"
    grep -h "^:" "/usr/lib/binfmt.d/qemu-$name.conf" >register 2>/dev/null || status=1
  done; exit ${status:-0}' "$@"
}

binfmt_qemu() {
  local triplet qemu_name loader proof
  arch_names "$1" || return 1
  proof=${2:-/usr/$triplet/lib/$loader}
  if ! grep -qsx enabled "/proc/sys/fs/binfmt_misc/qemu-$qemu_name"; then
    [ "$(id -u)" -eq 0 ] || { echo "qemu-$qemu_name is not registered, and registering takes root" >&2; return 1; }
    binfmt_in 'grep -qsx enabled "qemu-$2"' "$qemu_name" || binfmt_reset "$qemu_name" || {
      echo "cannot register qemu-$qemu_name: no binfmt_misc here, or no Debian rule for it" >&2
      return 1
    }
  fi
  # Registered is not yet running: the registration must outlast the call that made it.
  # Every glibc's loader lists its own dependencies (none) with status 0.
  "$proof" --list "$proof" >/dev/null 2>&1 || {
    echo "qemu-$qemu_name is registered, but $proof does not start: $("$proof" --list "$proof" 2>&1 | tail -n1)" >&2
    return 1
  }
}

binfmt_names() { binfmt_in 'for name in qemu-*; do [ -e "$name" ] && echo "${name#qemu-}"; done'; }
