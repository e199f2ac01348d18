# shellcheck shell=bash
# Sourced by the scripts that run ARM programs through qemu-user. binfmt_misc's registrations
# belong to the whole kernel; its folder is mounted for the call only when this machine has it
# unmounted.
#   binfmt_qemu NAME          true when the kernel starts NAME's programs (aarch64, arm) with
#                             qemu-NAME: an enabled registration is kept, else (as root) Debian's
#                             rule is registered, whose F flag finds the interpreter inside a
#                             chroot too
#   binfmt_reset NAME...      (as root) each qemu-NAME registered anew by Debian's rule, so that
#                             it runs this machine's interpreter, or removed where it has none
#   binfmt_names              prints the registered qemu-NAMEs' NAMEs

binfmt_in() {  # CMD: run in binfmt_misc's folder
  # shellcheck disable=SC2016 # expanded by the inner shell
  unshare --mount --propagation private sh -c 'folder=/proc/sys/fs/binfmt_misc
    { [ -e $folder/register ] || mount -t binfmt_misc binfmt_misc $folder; } && cd $folder &&
      eval "$1"' sh "$@"
}

binfmt_reset() {
  # shellcheck disable=SC2016 # expanded by the inner shell
  binfmt_in 'shift; for name; do [ ! -e "qemu-$name" ] || echo -1 >"qemu-$name"
    grep -h "^:" "/usr/lib/binfmt.d/qemu-$name.conf" >register 2>/dev/null || status=1
  done; exit ${status:-0}' "$@"
}

binfmt_qemu() {
  grep -qx enabled "/proc/sys/fs/binfmt_misc/qemu-$1" 2>/dev/null && return 0
  # shellcheck disable=SC2016 # expanded by the inner shell
  [ "$(id -u)" -eq 0 ] && { binfmt_in 'grep -qx enabled "qemu-$2"' "$1" || binfmt_reset "$1"; }
}

# shellcheck disable=SC2016 # expanded by the inner shell
binfmt_names() { binfmt_in 'for name in qemu-*; do [ -e "$name" ] && echo "${name#qemu-}"; done'; }
