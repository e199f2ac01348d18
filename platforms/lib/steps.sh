# shellcheck shell=bash
# Sourced by the scripts that run a list of named steps (CI, releases, the cross builds).
#   step NAME COMMAND [ARGS...]  runs the command (a function too, in this shell) unless
#                                NAME is left out; records its status and seconds. Its output
#                                goes to $steps_logs/NAME.log when steps_logs is set, else to
#                                standard error and a log of its own. On failure the log's
#                                last lines are shown. The command runs in a process group of
#                                its own, on no standard input, for at most ORBITRA_STEP_SECONDS
#                                (2400): past that the whole group is ended (TERM, then KILL) and
#                                the step fails with status 124 and a line naming it and the
#                                limit. Returns the command's status (0 when left out).
#   steps_wanted NAME            true when NAME is among the steps asked for in ORBITRA_STEPS
#                                (exact names, separated by spaces or commas; all when empty)
#   step_note TEXT               a note for the summary's line of the step running now (from
#                                inside the step's command)
#   steps_summary                prints one table and returns 1 when any step failed or a
#                                name asked for is no step's
#   steps_seal FOLDER            SHA256SUMS of the files in FOLDER when every step ran and
#                                passed; otherwise INCOMPLETE, saying how many failed or were
#                                left out, and no sums
#   platform_steps PREFIX VERB [ARG...]  a step PREFIX<name> for each line of platforms/list.txt,
#                                running platforms/<folder>/platform.sh VERB ARG... [TARGET]
# steps_failed and steps_skipped count as the steps go.

steps_names=() steps_results=() steps_seconds=() steps_notes=()
steps_failed=0 steps_skipped=0 steps_first_failure=
steps_started=$SECONDS
steps_limit=${ORBITRA_STEP_SECONDS:-2400}
steps_pid='' steps_watchdog=''
# The names asked for choose this script's steps only, not those of the scripts it runs.
steps_asked=${ORBITRA_STEPS:-}
unset ORBITRA_STEPS

steps_wanted() {
  local wanted
  [ -z "$steps_asked" ] && return 0
  for wanted in ${steps_asked//,/ }; do
    [ "$wanted" = "$1" ] && return 0
  done
  return 1
}

# The step runs in a shell of its own: its note comes back through a file.
step_note() { [ -z "${steps_note_file:-}" ] || printf '%s' "$*" >"$steps_note_file"; }

# Runs the command in a process group of its own, with a watchdog in another that ends the whole
# group once it runs past the limit; returns its status, 124 when it was ended so. A signal to
# this shell meanwhile ends the step's group too.
steps_run() {
  local traps late=$steps_note_file.late status=0
  traps=$(trap -p INT TERM HUP)
  set -m
  "$@" </dev/null &
  steps_pid=$!
  { sleep "$steps_limit" && : >"$late" && kill -TERM -- "-$steps_pid" && sleep 10 &&
    kill -KILL -- "-$steps_pid"; } >/dev/null 2>&1 &
  steps_watchdog=$!
  set +m
  trap 'steps_stop; exit 130' INT TERM HUP
  wait "$steps_pid" 2>/dev/null || status=$?
  kill -KILL -- "-$steps_watchdog" 2>/dev/null
  wait "$steps_watchdog" 2>/dev/null
  trap - INT TERM HUP
  eval "$traps"
  steps_pid='' steps_watchdog=''
  [ ! -e "$late" ] || { rm -f "$late"; return 124; }
  return "$status"
}

# Ends the step running now, with everything it started, and its watchdog: left, the watchdog
# would signal a process group of the same number later.
steps_stop() {
  [ -z "$steps_pid" ] || kill -KILL -- "-$steps_pid" "-$steps_watchdog" 2>/dev/null
}

step() {
  local steps_name=$1 steps_start=$SECONDS steps_status=0 steps_log
  shift
  if ! steps_wanted "$steps_name"; then
    steps_names+=("$steps_name") steps_results+=(skipped) steps_seconds+=(0)
    steps_skipped=$((steps_skipped + 1))
    return 0
  fi
  echo "== $steps_name ==" >&2
  local steps_note_file
  steps_note_file=$(mktemp "${TMPDIR:-/tmp}/orbitra-note.XXXXXX")
  if [ -n "${steps_logs:-}" ]; then
    mkdir -p "$steps_logs"
    steps_log=$steps_logs/$steps_name.log
    steps_run "$@" >"$steps_log" 2>&1 || steps_status=$?
  else
    steps_log=$(mktemp "${TMPDIR:-/tmp}/orbitra-step.XXXXXX")
    local steps_copy steps_copier
    exec {steps_copy}> >(tee "$steps_log" >&2)
    steps_copier=$!
    steps_run "$@" >&"$steps_copy" 2>&1 || steps_status=$?
    exec {steps_copy}>&-
    wait "$steps_copier" # the copy's last lines, before reading the log
  fi
  [ "$steps_status" -ne 124 ] ||
    echo "$steps_name did not end within $steps_limit s (ORBITRA_STEP_SECONDS): ended" >>"$steps_log"
  steps_notes[${#steps_names[@]}]=$(cat "$steps_note_file")
  rm -f "$steps_note_file"
  steps_names+=("$steps_name") steps_seconds+=($((SECONDS - steps_start)))
  if [ "$steps_status" -eq 0 ]; then
    steps_results+=(ok)
  else
    steps_results+=(FAILED)
    steps_failed=$((steps_failed + 1))
    echo "== $steps_name FAILED (status $steps_status); the end of its output:" >&2
    tail -n 15 "$steps_log" >&2
    [ -n "$steps_first_failure" ] || steps_first_failure="$steps_name: $(tail -n 5 "$steps_log")"
  fi
  [ -n "${steps_logs:-}" ] || rm -f "$steps_log"
  return "$steps_status"
}

steps_summary() {
  local i wanted
  # A name asked for that no step has is a typing error, not a step passed.
  for wanted in ${steps_asked//,/ }; do
    grep -qxF -- "$wanted" < <(printf '%s\n' "${steps_names[@]}") && continue
    echo "no step is named $wanted" >&2
    steps_failed=$((steps_failed + 1))
  done
  {
    echo
    for i in "${!steps_names[@]}"; do
      printf '%-24s %-7s %5ss  %s\n' "${steps_names[$i]}" "${steps_results[$i]}" \
        "${steps_seconds[$i]}" "${steps_notes[$i]:-}"
    done
    echo "$(grep -cx ok < <(printf '%s\n' "${steps_results[@]}")) passed, $steps_failed failed," \
      "$steps_skipped skipped; $((SECONDS - steps_started)) s in all"
    [ -z "$steps_first_failure" ] || printf 'first failure, %s\n' "$steps_first_failure"
  } >&2
  [ "$steps_failed" -eq 0 ]
}

steps_seal() {
  if [ "$steps_failed" -eq 0 ] && [ "$steps_skipped" -eq 0 ]; then
    # Not of itself: the list is open before the files are found.
    # shellcheck disable=SC2094 # it leaves itself out
    (cd "$1" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort |
      xargs sha256sum >SHA256SUMS)
  else
    echo "Incomplete: $steps_failed steps failed and $steps_skipped were left out; not a release." \
      >"$1/INCOMPLETE"
  fi
}

platform_steps() {  # the list on a descriptor of its own: a step may read standard input
  local name folder target
  while read -r -u 3 name folder target; do
    step "$1$name" "platforms/$folder/platform.sh" "${@:2}" ${target:+"$target"}
  done 3< <(awk '!/^#/ && NF' "$(dirname "${BASH_SOURCE[0]}")/../list.txt")
}
