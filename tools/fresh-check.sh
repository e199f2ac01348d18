#!/usr/bin/env bash
# A first run on a fresh machine: clones the committed HEAD of this checkout into a newly made
# Debian 12 (a minimal base system from debootstrap, plus git to clone with) and runs the CI
# command .ci/run there as root, as a newcomer would right after cloning. Nothing comes from
# this machine's caches or build folders: every package is installed and everything built from
# nothing. Prints how long each phase took. Slow (an hour or more), so it is not part of CI.
#
# Usage (as root): tools/fresh-check.sh
#   ORBITRA_FRESH_DIR   where the temporary system is made (default /var/tmp); removed after
#   ORBITRA_FRESH_KEEP  yes: keeps the system (unmounted) for a look after the run
#   ORBITRA_FRESH_RUN   the command run in the clone instead of .ci/run, such as
#                       tools/release.sh for the time of a release on a fresh machine; a release
#                       it makes is copied to <ORBITRA_FRESH_DIR>/orbitra-fresh-release
# The whole output of the run is also kept in <ORBITRA_FRESH_DIR>/orbitra-fresh-check.log.
set -uo pipefail
exec 1>&2
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/lib/packages.sh
. "$root/tools/lib/packages.sh"

say() { echo "fresh-check: $*"; }
fail() { say "FAIL: $*"; exit 1; }
[ "$(id -u)" = 0 ] || fail "run as root (debootstrap, chroot and mounts need it)"
need_packages debootstrap git || fail "cannot install debootstrap and git"
mirror=$(debian_archive | head -n1)
[ -n "$mirror" ] || fail "this machine's apt sources name no Debian 12 archive"
commit=$(git -C "$root" rev-parse HEAD) || fail "$root is not a git checkout"
git -C "$root" diff --quiet HEAD || say "uncommitted changes in $root are left out: checking $commit"

base_dir=${ORBITRA_FRESH_DIR:-/var/tmp}
log=$base_dir/orbitra-fresh-check.log
work=$(mktemp -d "$base_dir/orbitra-fresh.XXXXXX") || fail "cannot make a folder in $base_dir"
sys=$work/root
binfmt=/proc/sys/fs/binfmt_misc

# binfmt_misc's registrations belong to the whole kernel. Those the run adds are handed back
# to this machine's own interpreters afterwards (other builds here may be using them), or
# removed when this machine has none. Done through the system's mount, before it goes.
binfmt_before=
restore_binfmt() {
  local entry name
  [ -n "$binfmt_before" ] || return 0
  for entry in "$sys$binfmt"/qemu-*; do
    [ -e "$entry" ] || continue
    name=$(basename "$entry")
    grep -qx "$name" <<<"$binfmt_before" && continue
    echo -1 >"$entry"
    grep -h '^:' "/usr/lib/binfmt.d/$name.conf" >"$sys$binfmt/register" 2>/dev/null || true
  done
}

mounts_under() {
  findmnt -rn -o TARGET | awk -v top="$sys" \
    'index($0, top) == 1 && (length($0) == length(top) || substr($0, length(top) + 1, 1) == "/")' |
    sort -r
}
cleanup() {
  local pid mount
  # Whatever the run left running inside (a virtual X server, an emulated program, a chroot of
  # its own), by id.
  for pid in /proc/[0-9]*; do
    case "$(readlink "$pid/root" 2>/dev/null)" in
      "$sys" | "$sys"/*) kill -9 "${pid#/proc/}" 2>/dev/null ;;
    esac
  done
  sleep 1
  restore_binfmt
  while read -r mount; do
    [ -n "$mount" ] && { umount "$mount" 2>/dev/null || umount -l "$mount"; }
  done < <(mounts_under)
  if [ -n "$(mounts_under)" ]; then
    say "still mounted, so $work is left in place: $(mounts_under | tr '\n' ' ')"
  elif [ "${ORBITRA_FRESH_KEEP:-no}" = yes ]; then
    say "the system is kept in $sys"
  else
    rm -rf --one-file-system "$work"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

phases=() phase_seconds=()
phase_start=$SECONDS
phase() {  # name: ends the phase begun at the last call
  phases+=("$1") phase_seconds+=($((SECONDS - phase_start)))
  say "$1: $((SECONDS - phase_start)) s"
  phase_start=$SECONDS
}
summary() {
  local i
  echo
  echo "== tools/fresh-check.sh at $commit =="
  for i in "${!phases[@]}"; do printf '%-34s %6ss\n' "${phases[$i]}" "${phase_seconds[$i]}"; done
  printf '%-34s %6ss\n' total "$SECONDS"
}

# --- A fresh Debian 12 ------------------------------------------------------------------------
say "making a Debian 12 base system in $sys from $mirror"
debootstrap --variant=minbase bookworm "$sys" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  fail "debootstrap failed: $(tail -5 "$work/debootstrap.log")"
cp /etc/resolv.conf "$sys/etc/resolv.conf"
# This machine's settings for reaching the archive (such as a proxy, or an archive snapshot
# whose release files have expired), none of its package sources or caches.
for conf in /etc/apt/apt.conf.d/*; do
  grep -qE '^[[:space:]]*Acquire::' "$conf" 2>/dev/null && cp "$conf" "$sys/etc/apt/apt.conf.d/"
done
# And its certificate authorities, for HTTPS through its network (npm fetches the browser
# test's driver), handed to node only.
machine_ca=()
if [ -f /etc/ssl/certs/ca-certificates.crt ]; then
  cp /etc/ssl/certs/ca-certificates.crt "$sys/etc/this-machine-ca.crt"
  machine_ca=(NODE_EXTRA_CA_CERTS=/etc/this-machine-ca.crt)
fi
phase "debootstrap"

if ! { mount -t proc proc "$sys/proc" && mount -t sysfs sysfs "$sys/sys" &&
  mount --rbind /dev "$sys/dev" && mount --make-rslave "$sys/dev" &&
  mount -t binfmt_misc binfmt_misc "$sys$binfmt"; }; then
  fail "cannot mount /proc, /sys, /dev and binfmt_misc"
fi
binfmt_before=$(ls "$sys$binfmt")
in_chroot() {
  chroot "$sys" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" "${machine_ca[@]}" "$@"
}

# --- Cloning, as a newcomer would: git, then the repository -----------------------------------
git -C "$root" bundle create "$sys/tmp/orbitra.bundle" HEAD >/dev/null 2>&1 ||
  fail "cannot bundle $commit"
{ in_chroot apt-get update -qq && in_chroot env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends git; } >"$work/git.log" 2>&1 ||
  fail "cannot install git: $(tail -5 "$work/git.log")"
in_chroot git clone -q /tmp/orbitra.bundle /root/orbitra >"$work/git.log" 2>&1 ||
  fail "git clone failed: $(tail -5 "$work/git.log")"
[ "$(in_chroot git -C /root/orbitra rev-parse HEAD)" = "$commit" ] || fail "the clone is not at $commit"
rm "$sys/tmp/orbitra.bundle"
phase "git and the clone"

# --- The CI command -------------------------------------------------------------------------
run=${ORBITRA_FRESH_RUN:-.ci/run}
say "running $run in the fresh system (its output also in $log)"
in_chroot sh -c "cd /root/orbitra && exec $run" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
phase "$run (status $status)"
if [ -d "$sys/root/orbitra/release" ]; then
  rm -rf "$base_dir/orbitra-fresh-release"
  cp -a "$sys/root/orbitra/release" "$base_dir/orbitra-fresh-release"
  say "its release is in $base_dir/orbitra-fresh-release"
fi
summary
[ "$status" -eq 0 ] || fail "$run failed in the fresh system (status $status)"
say "OK"
