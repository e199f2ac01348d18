# shellcheck shell=bash
# XScreenSaver run by an unprivileged user (it launches no hack as root) with one hack chosen,
# shared by the check of the build's hack and of the installed packages. Sourced; the caller
# defines fail().

# xscreensaver_settings PROGRAMS: a ~/.xscreensaver whose programs list is PROGRAMS, the text
# of its entry, with the first program shown at once, full screen, until the end of the check.
xscreensaver_settings() {
  cat <<END
mode:		one
selected:	0
lock:		False
fade:		False
unfade:		False
splash:		False
timeout:	0:30:00
programs:	$1
END
}

# xscreensaver_activate LOG RUN...: starts XScreenSaver through RUN (a command that runs a
# program as the user, with the user's HOME and the display), its output in LOG, waits until it
# answers and activates it; sets xscreensaver.
xscreensaver_activate() {
  local log=$1 _
  shift
  "$@" xscreensaver -no-splash >"$log" 2>&1 &
  # shellcheck disable=SC2034 # for the caller to end it
  xscreensaver=$!
  for _ in $(seq 50); do
    "$@" xscreensaver-command -time >/dev/null 2>&1 && break
    sleep 0.2
  done
  "$@" xscreensaver-command -activate >/dev/null || fail "xscreensaver did not start: $(tail -n 5 "$log")"
}
