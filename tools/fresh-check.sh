#!/usr/bin/env bash
# A first run on a fresh machine: the committed HEAD of this checkout, cloned into a newly made
# minimal Debian 12 (debootstrap, plus git), runs .ci/run there as root, as a newcomer would.
# Nothing comes from this machine's caches or build folders. Prints each phase's time. Slow (an
# hour or more), so it is not part of CI.
# Usage (as root): tools/fresh-check.sh
#   ORBITRA_FRESH_DIR   where the temporary system is made (default /var/tmp); removed after
#   ORBITRA_FRESH_KEEP  yes: keeps the system (unmounted) for a look after the run
#   ORBITRA_FRESH_RUN   the command run in the clone instead of .ci/run (tools/release.sh: a
#                       release on a fresh machine, its files copied to
#                       <ORBITRA_FRESH_DIR>/orbitra-fresh-release)
# The run's whole output is also kept in <ORBITRA_FRESH_DIR>/orbitra-fresh-check.log.
set -uo pipefail
exec 1>&2
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=../platforms/lib/chroot.sh
. "$root/platforms/lib/chroot.sh"
# shellcheck source=../platforms/lib/binfmt.sh
. "$root/platforms/lib/binfmt.sh"

say() { echo "fresh-check: $*"; }
fail() { say "FAIL: $*"; exit 1; }
[ "$(id -u)" = 0 ] || fail "run as root (debootstrap, chroot and mounts need it)"
commit=$(git -C "$root" rev-parse HEAD) || fail "$root is not a git checkout"
git -C "$root" diff --quiet HEAD || say "uncommitted changes in $root are left out: checking $commit"

base_dir=$(realpath -e "${ORBITRA_FRESH_DIR:-/var/tmp}") || fail "no folder ${ORBITRA_FRESH_DIR:-}"
log=$base_dir/orbitra-fresh-check.log
work=$(mktemp -d "$base_dir/orbitra-fresh.XXXXXX") || fail "cannot make a folder in $base_dir"
sys=$work/root

# The system has what a new CI machine has and no more: /proc, /sys and /dev, no binfmt_misc
# mounted, no caches. binfmt_misc's registrations belong to the whole kernel, though: where
# this machine keeps it mounted, those the run adds are handed back to this machine's own
# interpreters afterwards (other builds here may be using them), or removed when it has none.
[ -n "$(findmnt -rn -t binfmt_misc)" ] &&
  say "binfmt_misc is mounted here: what it holds reaches the system, as on no new CI machine"
binfmt_before=$(binfmt_names)
cleanup() {
  [ -n "${run_pid:-}" ] && kill "$run_pid" 2>/dev/null && wait "$run_pid" 2>/dev/null
  # shellcheck disable=SC2046 # one name a word
  binfmt_reset $(binfmt_names | grep -vxF "$binfmt_before")
  if [ "${ORBITRA_FRESH_KEEP:-no}" = yes ]; then
    say "the system is kept in $sys"
  else
    chroot_remove "$work"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# shellcheck source=../platforms/lib/steps.sh
. "$root/platforms/lib/steps.sh"

# --- A fresh Debian 12, with git to clone with, and the clone ---------------------------------
# This machine's certificate authorities, for HTTPS through its network (npm fetches the
# browser test's driver), handed to node only.
machine_ca=()
[ -f /etc/ssl/certs/ca-certificates.crt ] && machine_ca=(NODE_EXTRA_CA_CERTS=/etc/this-machine-ca.crt)
make_system() {
  ORBITRA_CHROOT_CACHE=$work/cache chroot_make "$sys" bookworm amd64 git || return 1
  rm -rf "$work/cache"
  [ ${#machine_ca[@]} = 0 ] || cp /etc/ssl/certs/ca-certificates.crt "$sys/etc/this-machine-ca.crt"
  local cloned
  git -C "$root" bundle create -q "$sys/tmp/orbitra.bundle" HEAD &&
    chroot_run "$sys" git -c advice.detachedHead=false clone -q /tmp/orbitra.bundle /root/orbitra &&
    cloned=$(chroot_run "$sys" git -C /root/orbitra rev-parse HEAD) || return 1
  [ "$cloned" = "$commit" ] ||
    { echo "the clone is at $cloned, not $commit: a commit was made while the system was made"; return 1; }
  rm "$sys/tmp/orbitra.bundle"
}
say "making a Debian 12 system in $sys"
step system make_system || { steps_summary; exit 1; }

# --- The CI command -------------------------------------------------------------------------
run=${ORBITRA_FRESH_RUN:-.ci/run}
say "running $run in the fresh system (its output also in $log)"
run_in_system() {
  # In the background, so that a signal to this script ends it at once.
  # shellcheck disable=SC2016 # expanded by the inner shell
  chroot_run "$sys" env "${machine_ca[@]}" sh -c 'cd /root/orbitra && eval "exec $0"' "$run" \
    > >(tee "$log") 2>&1 &
  run_pid=$!
  wait "$run_pid"
}
# The whole CI is one step here: it has CI's 90 minutes, not a platform step's limit.
steps_limit=$((90 * 60))
step run run_in_system
run_pid=
if [ -d "$sys/root/orbitra/release" ]; then
  rm -rf "$base_dir/orbitra-fresh-release"
  cp -a "$sys/root/orbitra/release" "$base_dir/orbitra-fresh-release"
  say "its release is in $base_dir/orbitra-fresh-release"
fi
say "at $commit:"
steps_summary
