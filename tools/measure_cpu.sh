#!/usr/bin/env bash
# measure_cpu.sh: how much of one core a program and its X server take while it runs under a
# private Xvfb without a window manager. Reads utime + stime from /proc after a warm-up.
#
#   tools/measure_cpu.sh [-s WxH] [-t SECONDS] [-C DIR] [-- COMMAND [ARG...]]
#
# By default: the game (build-test/game/quorvane) from assets/ at 1280x720 for 10 seconds.
# Prints "program N% of a core, X server M% of a core". Needs Xvfb and xdpyinfo.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
size=1280x720; seconds=10; dir=$root/assets
while [ $# -gt 0 ]; do
  case $1 in
    -s) size=$2; shift 2 ;;
    -t) seconds=$2; shift 2 ;;
    -C) dir=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "usage: measure_cpu.sh [-s WxH] [-t SECONDS] [-C DIR] [-- COMMAND...]" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || set -- "$root/build-test/game/quorvane"
for t in Xvfb xdpyinfo; do command -v $t >/dev/null || { echo "measure_cpu: $t is missing" >&2; exit 2; }; done

# CPU ticks (user + system) a process has used so far. The name in field 2 may hold spaces.
ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }

n=70; while [ -e "/tmp/.X$n-lock" ]; do n=$((n+1)); done
Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 & xpid=$!
trap '[ -n "$ppid" ] && kill $ppid 2>/dev/null; wait $ppid 2>/dev/null; kill $xpid 2>/dev/null; wait $xpid 2>/dev/null' EXIT
ppid=
export DISPLAY=":$n"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
cmd=("$@"); case ${cmd[0]} in /*) ;; */*) cmd[0]="$PWD/${cmd[0]}" ;; esac
( cd "$dir" && exec "${cmd[@]}" ) >/dev/null & ppid=$!
sleep 2  # start-up and the first frames are not what is measured
p0=$(ticks $ppid) x0=$(ticks $xpid) t0=$(date +%s.%N)
sleep "$seconds"
kill -0 $ppid 2>/dev/null || { echo "measure_cpu: the program ended early" >&2; exit 1; }
p1=$(ticks $ppid) x1=$(ticks $xpid) t1=$(date +%s.%N)
hz=$(getconf CLK_TCK)
awk -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v hz="$hz" -v t0="$t0" -v t1="$t1" -v s="$size" 'BEGIN {
  wall = t1 - t0
  printf "%s: program %.1f%% of a core, X server %.1f%% of a core (%.1f s)\n", s, 100 * p / hz / wall, 100 * x / hz / wall, wall }'
