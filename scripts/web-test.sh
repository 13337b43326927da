#!/usr/bin/env bash
# Builds the browser page (scripts/web.sh --build-only), serves it on 127.0.0.1 and checks it in
# headless Chromium (tests/web/web_test.py). Exits non-zero when a check fails.
# Usage: scripts/web-test.sh [--bench N]   (--bench times N unpaced frames instead, on the timed
# page built beside the page: tests/web/bench.js)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" web-test
served="$root/build-web/site"
args=(--site "$served")
if [ "${1:-}" = "--bench" ]; then
  "$root/scripts/web.sh" --build-only --bench
  served="$root/build-web/build/cmake/bench"
  args=()
else
  "$root/scripts/web.sh" --build-only
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
