#!/usr/bin/env bash
# Builds the browser page (scripts/web.sh --build-only), serves it on 127.0.0.1 and checks it in
# headless Chromium (tests/web/web_test.py). Exits non-zero when a check fails.
# Usage: scripts/web-test.sh [--screenshots DIR] | --bench N   (--bench times N unpaced frames
# instead, on the timed page built beside the site (tests/web/bench.js), and the same frames
# natively (tests/web/native_frames.cpp); its last line is "web/native frame ratio: R")
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" web-test
served="$root/build-web/site"
args=(--site "$served")
if [ "${1:-}" = "--bench" ]; then
  "$root/scripts/web.sh" --build-only --bench
  served="$root/build-web/build/cmake/bench"
  # The same frames natively, in the same run: tests/web/native_frames.cpp.
  native="$root/build-web/build/native"
  cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_BENCH=OFF >/dev/null
  cmake --build "$native" --target web_frames_native -j2 >/dev/null
  # Three runs on each side, the fastest of each kept: the machine's other work only slows.
  runs=()
  for _ in 1 2 3; do
    runs+=("$("$native/tests/web/web_frames_native" "$root/assets" \
      "$root/platform/web/levels/metal-wall.txt" "${2:-600}")")
  done
  args=(--native "[$(IFS=,; echo "${runs[*]}")]")
else
  "$root/scripts/web.sh" --build-only --checks
  node "$root/build-web/build/cmake/platform/web/quorvane_simd_check.js"
fi

port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
python3 -m http.server --bind 127.0.0.1 --directory "$served" "$port" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
# Until the server answers.
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/')" 2>/dev/null && break
  sleep 0.1
done
python3 "$root/tests/web/web_test.py" "http://127.0.0.1:$port/" "${args[@]}" "$@"
