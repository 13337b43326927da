#!/usr/bin/env bash
# The game under QV_BACKEND=headless, closed by SIGTERM and then, in another run, by SIGINT:
# each ends in order with exit code 0. SIGALRM is left ignored, so the grace timer that ends a
# program unable to close by itself (also with 0) cannot stand in for the close.
# Usage: headless_signals_test.sh QUORVANE ASSETS_FOLDER
set -uo pipefail
# Job control: without it the shell starts background programs with SIGINT ignored.
set -m
program=$(realpath "$1")
assets=$2
limit=120  # tenths of a second: far beyond any orderly close, only a bound on a hang

# True once process $1 catches signal number $2 (its SigCgt mask in /proc).
catches() {
  local mask
  mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status" 2>/dev/null) || return 1
  [ -n "$mask" ] && (((16#$mask >> ($2 - 1)) & 1))
}

# Starts the game, sends signal $1 (number $2) once the game catches it, and checks the exit.
close_with() {
  local name=$1 number=$2 pid code tries
  (
    cd "$assets" || exit 2
    trap '' ALRM
    QV_BACKEND=headless exec "$program" >/dev/null
  ) &
  pid=$!
  for ((tries = 0; tries < limit * 5; ++tries)); do
    catches "$pid" "$number" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! catches "$pid" "$number"; then
    echo "FAIL: the game never caught SIG$name" >&2
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 1
  fi
  # A watchdog in its own process group (job control), ended with it.
  (sleep $((limit / 10)) && kill -9 "$pid") >/dev/null 2>&1 &
  local watchdog=$!
  kill "-$name" "$pid"
  wait "$pid"
  code=$?
  kill -- "-$watchdog" 2>/dev/null
  wait "$watchdog" 2>/dev/null
  if [ "$code" -ne 0 ]; then
    echo "FAIL: after SIG$name the game ended with exit code $code (137: it did not end)" >&2
    return 1
  fi
  echo "ok: SIG$name closes the game with exit code 0"
}

status=0
close_with TERM 15 || status=1
close_with INT 2 || status=1
exit "$status"
