#!/usr/bin/env bash
# Builds Quorvane for the browser and serves it on 127.0.0.1. The site, and only the site
# (index.html, its CSS and JavaScript, the manifest and service worker, quorvane.js, .wasm and
# .data, the licence notices), goes to build-web/site/; the build's own files (CMake's build,
# FreeType, Emscripten's cache) stay in build-web/build/. Installs what it needs on Debian 12.
# Usage: scripts/web.sh [--build-only] [--bench] [--checks] [PORT]   (PORT 8080 by default;
# --bench also builds the timed page of scripts/web-test.sh --bench into
# build-web/build/cmake/bench/, --checks the SIMD checks that scripts/web-test.sh runs in node)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-web"
site="$out/site"
work="$out/build"
build_only=0
targets=(quorvane_web)
port=8080
for arg in "$@"; do
  case "$arg" in
    --build-only) build_only=1 ;;
    --bench) targets+=(quorvane_web_bench) ;;
    --checks) targets+=(quorvane_simd_check) ;;
    *) port="$arg" ;;
  esac
done

"$root/scripts/setup.sh" web
# Emscripten's tools need Debian's node modules, also when another node comes first on the PATH.
export NODE_PATH=/usr/share/nodejs
# Emscripten's cache beside the build: links to Debian's prebuilt system libraries, in a folder
# Emscripten may write (its lock, and any library variant Debian did not build, such as SIMD).
export EM_CACHE="$work/emcache" EM_FROZEN_CACHE=0
if [ ! -d "$EM_CACHE/sysroot" ]; then
  mkdir -p "$EM_CACHE"
  cp -rs /usr/share/emscripten/cache/. "$EM_CACHE/"
  rm -f "$EM_CACHE/cache.lock"
fi

freetype="$work/freetype"
"$root/scripts/web-freetype.sh" "$freetype"

# The page target writes the site folder; everything else it makes stays under $work/cmake.
# WebAssembly SIMD (-msimd128) for the drawing loops: every browser of the last years has it.
emcmake cmake -S "$root" -B "$work/cmake" -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS=-msimd128 \
  -DQV_BUILD_BENCH=OFF -DQV_WEB_PAGE_DIR="$site" \
  -Dfreetype_DIR="$freetype/install/lib/cmake/freetype" \
  -DQV_FREETYPE_NOTICE="$freetype/install/FTL.TXT" >/dev/null
cmake --build "$work/cmake" --target "${targets[@]}" -j2

[ "$build_only" -eq 1 ] && exit 0
echo "Quorvane in the browser: http://127.0.0.1:$port/"
exec python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port"
