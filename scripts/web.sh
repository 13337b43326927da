#!/usr/bin/env bash
# Builds Quorvane for the browser into build-web/ (index.html, quorvane.js, .wasm and .data, the
# licence notices) and serves it on 127.0.0.1. Installs what it needs on Debian 12.
# Usage: scripts/web.sh [--build-only] [--bench] [PORT]   (PORT 8080 by default; --bench also
# builds the timed page of scripts/web-test.sh --bench into build-web/.cmake/bench/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-web"
build_only=0
targets=(quorvane_web)
port=8080
for arg in "$@"; do
  case "$arg" in
    --build-only) build_only=1 ;;
    --bench) targets+=(quorvane_web_bench) ;;
    *) port="$arg" ;;
  esac
done

"$root/scripts/setup.sh" web
# Emscripten's tools need Debian's node modules, also when another node comes first on the PATH.
export NODE_PATH=/usr/share/nodejs
# Emscripten's cache in the build folder: links to Debian's prebuilt system libraries, in a
# folder Emscripten may write (its lock, and any library variant Debian did not build).
export EM_CACHE="$out/.emcache" EM_FROZEN_CACHE=0
if [ ! -d "$EM_CACHE/sysroot" ]; then
  mkdir -p "$EM_CACHE"
  cp -rs /usr/share/emscripten/cache/. "$EM_CACHE/"
  rm -f "$EM_CACHE/cache.lock"
fi

freetype="$out/.deps/freetype"
"$root/scripts/web-freetype.sh" "$freetype"

emcmake cmake -S "$root" -B "$out/.cmake" -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF \
  -DQV_BUILD_BENCH=OFF -DQV_WEB_PAGE_DIR="$out" \
  -Dfreetype_DIR="$freetype/install/lib/cmake/freetype" \
  -DQV_FREETYPE_NOTICE="$freetype/install/FTL.TXT" >/dev/null
cmake --build "$out/.cmake" --target "${targets[@]}" -j2

[ "$build_only" -eq 1 ] && exit 0
echo "Quorvane in the browser: http://127.0.0.1:$port/"
cd "$out"
exec python3 -m http.server --bind 127.0.0.1 "$port"
