# Shared by the checks that open the intro's real window. Sourced, not run; each caller
# defines fail() and a work folder $work.
intro_logs=()

# The window's caption, exact.
intro_caption=".:Orbitra by Kalvaren:. 7.7.2007"

# start_virtual_display WxH[xDEPTH] [ARG...]: a virtual X server, 24 bits deep unless told, on a
# display it picks itself (other checks may run their own at the same time), given the further
# arguments; sets DISPLAY and xvfb.
start_virtual_display() {
  local screen=$1
  [[ $screen == *x*x* ]] || screen+=x24
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset "${@:2}" 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  local _
  for _ in $(seq 200); do
    if [ -s "$work/display" ]; then
      export DISPLAY=":$(head -1 "$work/display")"
      xdpyinfo >/dev/null 2>&1 && return 0
    fi
    sleep 0.1
  done
  fail "the virtual X server did not start: $(cat "$work/xvfb.log")"
}

# start_desktop: a 1920x1080 virtual display with a window manager, both added to pids.
start_desktop() {
  start_virtual_display 1920x1080
  openbox >/dev/null 2>&1 &
  pids+=("$xvfb" $!)
  sleep 1
}

# limited SECONDS COMMAND...: the command (a program, not a function), ended with its status 124
# once it runs past SECONDS, and then the check fails, naming it and the limit, on the output the
# check had when it sourced this file, whatever the command's output goes to.
exec {limited_out}>&1
limited() {
  local status=0
  timeout -k 10 "$1" "${@:2}" || status=$?
  [ "$status" -ne 124 ] || fail "${*:2:3} ... did not end within $1 s" >&"$limited_out"
  return "$status"
}

# start_intro COMMAND...: starts the intro (errors in $work/stderr); sets intro and window.
start_intro() {
  "$@" 2>"$work/stderr" &
  intro=$!
  pids+=("$intro")
  wait_for_intro_window "$intro"
}

# A held clock means no drawing pass reads the quit event that SIGTERM makes: kill outright.
stop_intro() { kill -KILL "$intro" 2>/dev/null; wait "$intro" 2>/dev/null; }

window_size() { xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {print w "x" $2}'; }

# screen_shot TARGET NAME: after 2 s, a screenshot of TARGET (a window or root) in $work/NAME
# (and $ORBITRA_SCREENSHOTS when set).
screen_shot() {
  local of=""
  [ "$1" = root ] && of=" of the screen"
  sleep 2
  import -window "$1" "$work/$2" || fail "no screenshot$of"
  [ -z "${ORBITRA_SCREENSHOTS:-}" ] || cp "$work/$2" "$ORBITRA_SCREENSHOTS/$2"
}

# frame_shown TARGET NAME X Y W H SAMPLING: that screenshot is $frame scaled to W x H at X,Y
# ($compare).
frame_shown() {
  screen_shot "$1" "$2"
  "$compare" "$work/$2" "$frame" "${@:3}"
}

# intro_said: the last lines the intro wrote, of $work/stderr and of each file a caller lists
# in intro_logs (a launcher's log), on one line each.
intro_said() {
  local file
  for file in "$work/stderr" "${intro_logs[@]}"; do
    [ -s "$file" ] && echo "$(basename "$file"): $(tail -n 5 "$file" | paste -sd '|')"
  done
}

# wait_for_intro_window PID: sets window to the intro's window once it shows; fails when the
# program ends first (with its status and last words) or no window comes within 60 s: a busy
# machine (a sanitizer build beside other jobs) has been seen to need more than 10.
wait_for_intro_window() {
  window=""
  local status said deadline=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$deadline" ]; do
    window=$(xdotool search --name "^${intro_caption//./\\.}\$" 2>/dev/null | head -1) || true
    [ -n "$window" ] && return 0
    if ! kill -0 "$1" 2>/dev/null; then
      wait "$1"
      status=$?
      said=$(intro_said)
      fail "the intro ended early with status $status; ${said:-it wrote nothing}"
    fi
    sleep 0.1
  done
  fail "no window with the caption appeared within 60 s"
}

# escape_ends_intro PID: presses Escape in $window and fails unless the intro then ends
# within 30 s with status 0.
escape_ends_intro() {
  xdotool key --window "$window" Escape
  local status=0 deadline=$((SECONDS + 30))
  while [ "$SECONDS" -lt "$deadline" ]; do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && fail "Escape did not end the intro"
  wait "$1" || status=$?
  [ "$status" = 0 ] || fail "exit status $status: $(intro_said)"
}
