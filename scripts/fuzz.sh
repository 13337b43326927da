#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz and runs each for a bounded time, one after another, starting from its checked-in
# sample files (tests/fuzz/corpus/<target>). New inputs go to build-fuzz/corpus/<target>, findings to build-fuzz/findings/. Exits
# non-zero when any target crashes, leaks or times out.
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]   (default 5 seconds, every target)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
seconds="${1:-5}"
[ $# -gt 0 ] && shift
all=(bmp image psd bitmap_stream alpha_map container level text bitmapfont)
targets=("${@:-${all[@]}}")

"$root/scripts/setup.sh" fuzz
CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON \
  -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/%/_fuzz}"

mkdir -p "$build/findings" "$build/logs"
failed=()
printf '%-14s %10s %10s  %s\n' target runs "runs/s" result
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t"
  log="$build/logs/$t.log"
  status=0
  "$build/tests/fuzz/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
    "$build/corpus/$t" "$root/tests/fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  result=ok
  if [ "$status" -ne 0 ]; then
    result="FAILED ($(grep -m1 -oE 'ERROR: [A-Za-z]+: [^ ]+|ERROR: libFuzzer: [a-z-]+|runtime error: .*' "$log" ||
      echo "exit $status")); see $log"
    failed+=("$t")
  fi
  printf '%-14s %10s %10s  %s\n' "$t" "${runs:-?}" "${rate:-?}" "$result"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed: ${failed[*]}" >&2
  exit 1
fi
