# shellcheck shell=bash
# Sourced by the scripts that run ARM programs through qemu-user. binfmt_misc belongs to the
# whole kernel; its folder is mounted for each call only.
#   binfmt_qemu NAME       true when the kernel starts NAME's programs (aarch64, arm) with qemu:
#                          an enabled registration is kept, else (as root) Debian's rule is
#                          registered, whose F flag finds the interpreter inside a chroot too
#   binfmt_reset NAME...   (as root) each qemu-NAME registered anew by Debian's rule, so that it
#                          runs this machine's interpreter, or removed where it has none
#   binfmt_names           prints the NAME of each qemu-NAME registered

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
  grep -qsx enabled "/proc/sys/fs/binfmt_misc/qemu-$1" && return 0
  [ "$(id -u)" -eq 0 ] && { binfmt_in 'grep -qsx enabled "qemu-$2"' "$1" || binfmt_reset "$1"; }
}

binfmt_names() { binfmt_in 'for name in qemu-*; do [ -e "$name" ] && echo "${name#qemu-}"; done'; }
