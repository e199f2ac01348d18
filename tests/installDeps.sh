#!/usr/bin/env bash
# The scripts' shared library (platforms/lib/). The dependency installer counts only the native
# architecture's packages: a foreign copy of a -dev package (installed for a cross build) must
# not satisfy it; an "all" package does. Then steps, the window checks' helpers, platform steps,
# source lines, the libraries' cache key, fresh systems and qemu's registrations.
# Arguments: the program (unused), the repository root.
set -u
root=$2
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
# A machine of amd64 where libsdl1.2-dev is present only as arm64, and the caller is not root.
cat >"$fake/dpkg-query" <<'FAKE'
#!/bin/sh
for last; do :; done
case "$last" in
  libsdl1.2-dev) echo "install ok installed arm64" ;;
  libsdl-ttf2.0-dev) printf 'install ok installed arm64\ninstall ok installed amd64\n' ;;
  # As for any "all" package: it answers, but fails on the name with the architecture.
  pkg-config) echo "install ok installed all"; exit 1 ;;
  *) echo "install ok installed amd64" ;;
esac
FAKE
printf '#!/bin/sh\necho amd64\n' >"$fake/dpkg"
printf '#!/bin/sh\necho 1000\n' >"$fake/id"
chmod +x "$fake"/*
output=$(PATH="$fake:$PATH" bash "$root/tools/install-deps.sh" run 2>&1)
status=$?
[ "$status" -eq 1 ] || { echo "FAIL: status $status, expected 1: $output"; exit 1; }
missing=$(sed -n 's/^Missing Debian packages: //p' <<<"$output")
[ "$missing" = "libsdl1.2-dev" ] || { echo "FAIL: reported missing '$missing': $output"; exit 1; }
echo "only the foreign-only package is missing: $missing"

# Steps are chosen by exact name; each one's output is copied to standard error (logged, both
# streams, in steps_logs), and a failed one's last 15 lines follow its status. A step past its
# limit (2400 s; here sleep waits 2 s whatever it is asked) gets TERM, then KILL 10 s later, and
# fails with status 124, a line saying so and nothing it started left. The summary lists each
# step with its note, counts them, names the first failure, and fails, as when a name asked for
# is no step's. Such a run's folder is sealed as incomplete, with no sums; a whole run's gets them.
mkdir "$fake"/{out,whole,part,tmp,slow} && echo made | tee "$fake"/{out,whole,part}/file >/dev/null
printf '#!/bin/sh\necho "$1" >>%s/slept\nexec /bin/sleep 2\n' "$fake" >"$fake/slow/sleep" && chmod +x "$fake/slow/sleep"
summary=$(ORBITRA_STEPS="good,bad-one nosuch slow" TMPDIR=$fake/tmp PATH=$fake/slow:$PATH bash -c ". '$root/platforms/lib/steps.sh'
  noted() { step_note seen; }; step good noted; step bad-one sh -c 'seq 20; echo why >&2; exit 3'; step bad false
  slow() { trap 'echo TERM; trap - TERM' TERM; (trap '' TERM; exec /bin/sleep 317.$$) & wait \$!; wait; }
  step good-too false; step slow slow; steps_seal '$fake/out'; steps_summary" 2>&1)
status=$?
said=$(steps_logs=$fake/logs bash -c ". '$root/platforms/lib/steps.sh'; step good sh -c 'echo out; echo err >&2'
  steps_seal '$fake/whole'" 2>&1)
steps_logs=$fake/logs bash -c ". '$root/platforms/lib/steps.sh'; step bad false; step other true
  steps_seal '$fake/part'" 2>/dev/null
[ "$(cat "$fake/out/INCOMPLETE")" = "Incomplete: 2 steps failed and 2 were left out; not a release." ] &&
  [ ! -e "$fake/out/SHA256SUMS" ] && [ ! -e "$fake/whole/INCOMPLETE" ] &&
  [ "$(cat "$fake/part/INCOMPLETE")" = "Incomplete: 1 steps failed and 0 were left out; not a release." ] &&
  (cd "$fake/whole" && sha256sum --quiet -c SHA256SUMS) && grep -q ' file$' "$fake/whole/SHA256SUMS" &&
  [ "$said" = "== good ==" ] && [ "$(cat "$fake/logs/good.log")" = $'out\nerr' ] ||
  { echo "FAIL: the folders sealed: $(ls "$fake/out" "$fake/whole"), or the log: $said"; exit 1; }
expected="== good ==
== bad-one ==
$(seq 20)
why
== bad-one FAILED (status 3); the end of its output:
$(seq 7 20)
why
== slow ==
TERM
== slow FAILED (status 124); the end of its output:
TERM
slow did not end within 2400 s (ORBITRA_STEP_SECONDS): ended
no step is named nosuch

good ok Ns seen
bad-one FAILED Ns
bad skipped Ns
good-too skipped Ns
slow FAILED Ns
1 passed, 3 failed, 2 skipped; N s in all
first failure, bad-one: $(seq 17 20)
why"
[ "$status" -eq 1 ] && [ "$(sed -E 's/[0-9]+s  /Ns /; s/[0-9]+ s in all$/N s in all/; s/ +/ /g; s/ $//' <<<"$summary")" = "$expected" ] &&
  [ "$(sort -u "$fake/slept")" = $'10\n2400' ] && [ -z "$(ls -A "$fake/tmp")" ] && ! pgrep -f "sleep 317.$$" >/dev/null ||
  { echo "FAIL: status $status, $(sort -u "$fake/slept" | paste -sd' ') slept, left $(ls -A "$fake/tmp"): $summary"; exit 1; }
# Interrupted, the steps' shell ends the step and its watchdog, with status 130.
limit=$((400 + $$ % 500))
ORBITRA_STEP_SECONDS=$limit bash -c ". '$root/platforms/lib/steps.sh'; step long /bin/sleep $limit.5" 2>/dev/null &
for _ in $(seq 50); do pgrep -fx "/bin/sleep $limit.5" >/dev/null && break; sleep 0.1; done
kill -TERM $! && wait $!
status=$?
for _ in $(seq 10); do pgrep -f "sleep $limit" >/dev/null || break; sleep 0.1; done
[ "$status" -eq 130 ] && ! pgrep -f "sleep $limit" >/dev/null ||
  { echo "FAIL: interrupted, status $status, left: $(pgrep -af "sleep $limit")"; pkill -KILL -f "sleep $limit"; exit 1; }
# The window checks' helpers: limited gives the command's status, or 124 past its limit (10 s
# more for one that ignores TERM), and then fails on the check's own output; an intro that ends
# before its window shows, or not with status 0 on Escape, fails with its last words.
mkdir "$fake/x" && printf '#!/bin/sh\necho "$1 $2 $3" >>%s/limits\nexec /usr/bin/timeout "$@"\n' "$fake" >"$fake/x/timeout"
printf '#!/bin/sh\n' >"$fake/x/xdotool" && chmod +x "$fake/x/"* && echo last >"$fake/stderr" && : >"$fake/empty"
said=$(cd "$fake" && PATH=$fake/x:$PATH work=$fake bash -c ". '$root/platforms/lib/xdisplay.sh'; intro_logs=('$fake/empty')
  fail() { echo \"failed: \$*\"; }; limited 5 sh -c 'exit 3' >/dev/null; echo \$?
  limited 1 /bin/sleep 30 >/dev/null; echo \$?; fail() { echo \"failed: \$*\"; exit 1; }
  (sh -c 'exit 4' & wait_for_intro_window \$!)
  (sh -c 'exit 0' & escape_ends_intro \$!); (sh -c 'exit 5' & escape_ends_intro \$!)
  (start_virtual_display 64x64 && xdpyinfo >/dev/null && echo shown; kill \$xvfb)" 2>&1)
[ "$said" = $'3\nfailed: /bin/sleep 30 ... did not end within 1 s\n124\nfailed: the intro ended early with status 4; '\
$'stderr: last\nfailed: exit status 5: stderr: last\nshown' ] && [ "$(cat "$fake/limits")" = $'-k 10 5\n-k 10 1' ] ||
  { echo "FAIL: the window helpers said: $said"; exit 1; }
# chroot_install: apt in the system updates, then installs the packages, .deb files copied in;
# all apt says goes to the log.
mkdir -p "$fake/fresh/tmp" && : >"$fake/a.deb"
bash -c ". '$root/platforms/lib/chroot.sh'; chroot_run() { echo \"\$*\"; echo err >&2; [ \"\$1\" != fail ]; }
  chroot_install '$fake/fresh' '$fake/log' pkg '$fake/a.deb' && ! chroot_install fail '$fake/log2' pkg" &&
  [ "$(cat "$fake/log")" = "$fake/fresh apt-get update"$'\nerr\n'"$fake/fresh apt-get install -y pkg /tmp/a.deb"$'\nerr' ] &&
  [ "$(cat "$fake/log2")" = $'fail apt-get update\nerr' ] && [ -f "$fake/fresh/tmp/a.deb" ] ||
  { echo "FAIL: chroot_install's log: $(cat "$fake/log" "$fake/log2")"; exit 1; }
# One step for each platform of the list, with its target, though a step reads standard input.
said=$(bash -c ". '$root/platforms/lib/steps.sh'; step() { echo \"\$*\"; cat >/dev/null; }
  platform_steps check- release-check OUT" </dev/null)
[ "$(wc -l <<<"$said")" = "$(grep -cvE '^(#|$)' "$root/platforms/list.txt")" ] &&
  grep -qx 'check-armhf platforms/arm/platform.sh release-check OUT armhf' <<<"$said" &&
  grep -qx 'check-native platforms/linux/platform.sh release-check OUT' <<<"$said" ||
  { echo "FAIL: the platforms' steps were: $said"; exit 1; }

for arch in $(awk '!/^#/ { print $1 }' "$root/platforms/lib/arches.txt"); do  # names as Debian's, qemu's
  bash -c ". '$root/platforms/lib/binfmt.sh'; arch_names $arch && [ -f /usr/lib/binfmt.d/qemu-\$qemu_name.conf ] &&
    [ \$triplet = \$(dpkg-architecture -a$arch -qDEB_HOST_MULTIARCH 2>/dev/null) ] && ! binfmt_qemu nosuch" ||
    { echo "FAIL: $arch's names"; exit 1; }
done

# Source lines for every archive the machine installs from, even when its own source lines
# name the security suite only.
mkdir -p "$fake/etc/sources.list.d"
printf 'Dir::Etc "%s/etc";\n' "$fake" >"$fake/apt.conf" && mkdir "$fake/etc/apt.conf.d"
printf 'deb%s http://deb.debian.org/debian%s main\n' "" " bookworm" "" "-security bookworm-security" \
  -src "-security bookworm-security" >"$fake/etc/sources.list"
lines=$(APT_CONFIG=$fake/apt.conf bash -c ". '$root/platforms/lib/sources.sh'; private_source_lines")
grep -qx 'deb-src http://deb.debian.org/debian bookworm main' <<<"$lines" ||
  { echo "FAIL: no source line for the main archive: $lines"; exit 1; }
# apt is pointed at them in a folder of the project's; nothing of apt's own is written (here
# an empty /etc/apt of a mount namespace's own, so that a fault cannot write the machine's).
touch "$fake/before" && sleep 1
options=$(APT_CONFIG=$fake/apt.conf ORBITRA_APT_DIR=$fake/private unshare --user --map-root-user --mount \
  bash -c "mount -t tmpfs none /etc/apt || exit 0; . '$root/platforms/lib/sources.sh'
  private_apt && printf '%s\n' \"\${apt_private[@]}\" && find /etc/apt -mindepth 1" 2>/dev/null)
if [ -z "$options" ]; then
  echo "no mount namespace of a user's: apt's folders not checked"
else
  grep -qx "Dir::Etc::SourceParts=$fake/private/parts" <<<"$options" &&
    grep -q '^deb-src ' "$fake/private/parts/orbitra.list" && ! grep -q '^/etc/apt' <<<"$options" &&
    [ -z "$(find "$fake/etc" -newer "$fake/before")" ] ||
    { echo "FAIL: apt's own configuration written, or apt not pointed away from it: $options"; exit 1; }
fi

# The pinned libraries' cache key follows SDL's configuration of the browser and the port
# (platforms/sdl/, beside their drivers): a changed configuration builds them afresh.
copy=$fake/repo
mkdir "$copy" && (cd "$root" && cp -r --parents deps platforms/lib platforms/sdl platforms/browser "$copy") &&
  printf '#!/bin/sh\n' >"$copy/deps/build-libs.sh" && printf '#!/bin/sh\necho emcc 1\n' >"$fake/emcc" &&
  chmod +x "$fake/emcc" || exit 1
cached() {
  (cd "$copy" && PATH=$fake:$PATH bash -c '. platforms/lib/libraries.sh && build_libraries browser "$0" emcc emcmake cmake &&
    echo "$libs"' "$fake/cache" 2>&1)
}
before=$(cached) && echo '/* changed */' >>"$copy/platforms/sdl/SDL_config.h" && after=$(cached) &&
  [ "$before" != "$after" ] || { echo "FAIL: the libraries' key kept SDL's changed configuration: $after"; exit 1; }

# Nothing run in a fresh system outlives a killed call: no process, no mount. As the machine's
# own root only: a user namespace's (the ARM suite without binfmt_misc) may not mount sysfs.
if [ "$(id -u)" = 0 ] && grep -q ' 4294967295$' /proc/self/uid_map; then
  sys=$fake/sys
  mkdir -p "$sys"/{proc,sys,dev,tmp}
  for file in /usr/bin/{env,sleep,unshare,true} $(ldd /usr/bin/{sleep,unshare} | grep -o '/[^ :]*'); do
    cp --parents -L "$file" "$sys"
  done
  bash -c ". '$root/platforms/lib/chroot.sh'; chroot_run '$sys' unshare -m true" || { echo "FAIL: no unshare inside"; exit 1; }
  inside() { for pid in /proc/[0-9]*; do [ "$(readlink "$pid/root")" = "$sys" ] && echo "${pid#/proc/}"; done; }
  bash -c ". '$root/platforms/lib/chroot.sh'; chroot_run '$sys' sleep 300" &
  caller=$!
  for _ in $(seq 50); do [ -n "$(inside)" ] && break; sleep 0.1; done
  kill -9 "$caller" && wait "$caller" 2>/dev/null
  sleep 1
  [ -z "$(inside)" ] && ! findmnt -rn -o TARGET | grep -q "^$sys" ||
    { echo "FAIL: left after the kill: processes $(inside), $(findmnt -rn -o TARGET | grep "^$sys")"; exit 1; }
  # Removed with what runs there, however the folder is spelt.
  chroot "$sys" sleep 300 2>/dev/null &
  ln -s "$fake" "$fake/link"
  bash -c ". '$root/platforms/lib/chroot.sh'; chroot_remove '$fake/link/sys/'" && [ ! -e "$sys" ] &&
    ! ps -o stat= -p $! | grep -qv Z || { echo "FAIL: the system or its process is still there"; exit 1; }
fi

# What the helper registers lasts after it returns: an ARM program then starts by plain exec in
# a later command. Here in a user namespace with a /proc of its own, whose binfmt_misc starts
# unmounted and empty, as on a machine without systemd, whatever this machine has registered.
loader=/usr/aarch64-linux-gnu/lib/ld-linux-aarch64.so.1
isolated=(unshare --user --map-root-user --mount --pid --fork --mount-proc)
if [ -x "$loader" ] && [ -f /usr/lib/binfmt.d/qemu-aarch64.conf ] &&
  "${isolated[@]}" sh -c 'mount -t binfmt_misc none /proc/sys/fs/binfmt_misc' 2>/dev/null; then
  # A loader cut short proves nothing, and the helper says so.
  head -c 4096 "$loader" >"$fake/cut" && chmod +x "$fake/cut"
  cat >"$fake/arm.sh" <<EOF
. "$root/platforms/lib/binfmt.sh"
binfmt_hold "\$@"
! (binfmt_in() { return 1; }; binfmt_qemu arm64) && [ "\$(binfmt_reset nosuch 2>&1 || echo no)" = no ] && binfmt_qemu arm64 &&
  sh -c 'exec "\$0" --version' "$loader" && ! binfmt_qemu arm64 "$fake/cut" &&
  echo 0 >/proc/sys/fs/binfmt_misc/qemu-aarch64 && binfmt_qemu arm64 && binfmt_names
EOF
  said=$("${isolated[@]}" bash "$fake/arm.sh" 2>&1) && grep -q '^ld.so ' <<<"$said" &&
    grep -q "registered, but $fake/cut does not start" <<<"$said" && [ "${said##*$'\n'}" = aarch64 ] &&
    [ "${said%%$'\n'*}" = "cannot register qemu-aarch64: no binfmt_misc here, or no Debian rule for it" ] &&
    [ "$(unshare --user "${isolated[@]:3}" bash -c ". '$root/platforms/lib/binfmt.sh'; binfmt_qemu arm64 || echo no" 2>&1)" = \
      $'qemu-aarch64 is not registered, and registering takes root\nno' ] ||
    { echo "FAIL: no ARM program starts after registering, or a broken one counts: $said"; exit 1; }
  echo "an ARM program starts after registering: $(grep '^ld.so ' <<<"$said")"
else
  echo "no ARM program and emulator, or no binfmt_misc of a user namespace: registering not tried"
fi
echo "steps, source lines and fresh systems as they should be"
