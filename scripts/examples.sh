#!/usr/bin/env bash
# Uses the installed engine the way another project does: installs it (cmake --install, component
# dev) into build-examples/prefix, builds tests/consumer and examples/ against that prefix with
# find_package(Quorvane), builds the consumer once more with pkg-config, and runs both consumers
# headless. Then the same for 32-bit Windows with mingw-w64 into build-examples/prefix-windows
# (built, not run), and for the browser when build-web/ holds the page's build. Installs what it
# needs on Debian 12.
# Usage: scripts/examples.sh [--linux-only]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-examples"
windows=1
[ "${1:-}" = "--linux-only" ] && windows=0
"$root/scripts/setup.sh"
[ "$windows" -eq 1 ] && "$root/scripts/setup.sh" windows
mkdir -p "$out"

# The engine's build: the tests' build when there is one (CI has just made it), else a build
# of the engine alone.
engine="$root/build-test"
if [ ! -f "$engine/CMakeCache.txt" ]; then
  engine="$out/engine"
  cmake -S "$root" -B "$engine" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_TESTS=OFF \
    -DQV_BUILD_BENCH=OFF >/dev/null
fi

# install_engine BUILD PREFIX TARGET...: the dev component of an engine build, and a check that
# the test host stayed out of it.
install_engine() {
  cmake --build "$1" --target "${@:3}" -j"$(nproc)" >/dev/null
  rm -rf "$2"
  cmake --install "$1" --component dev --prefix "$2" >/dev/null
  if find "$2" -name '*qvhost*' -o -name 'host.h' | grep .; then
    echo "examples: the test host was installed" >&2
    exit 1
  fi
  test -f "$2/include/quorvane/qvscreen.h"
  test -f "$(find "$2" -path '*/cmake/Quorvane/QuorvaneConfigVersion.cmake')"
}

echo "== Linux: the engine installed into $out/prefix"
install_engine "$engine" "$out/prefix" qv qvmain
test -f "$out/prefix/include/quorvane/windows.h"

echo "== Linux: tests/consumer and examples/ with find_package(Quorvane 0.3)"
cmake -S "$root/tests/consumer" -B "$out/consumer" -DCMAKE_PREFIX_PATH="$out/prefix" >/dev/null
cmake --build "$out/consumer" -j"$(nproc)" >/dev/null
QV_BACKEND=headless "$out/consumer/consumer" | tee "$out/consumer.txt"
grep -qx "consumer: 5 frames with Quorvane 0.3.0" "$out/consumer.txt"
cmake -S "$root/examples" -B "$out/examples" -DCMAKE_PREFIX_PATH="$out/prefix" >/dev/null
cmake --build "$out/examples" -j"$(nproc)" >/dev/null
ls "$out/examples" | grep -E '^(surfaces|text|palette|input)$' | tr '\n' ' '; echo

echo "== Linux: tests/consumer with pkg-config"
PKG_CONFIG_PATH="$(dirname "$(find "$out/prefix" -name quorvane.pc)")"
export PKG_CONFIG_PATH
g++ -std=c++17 -o "$out/consumer-pc" "$root/tests/consumer/consumer.cpp" \
  $(pkg-config --cflags --libs quorvane)
QV_BACKEND=headless "$out/consumer-pc" | grep -x "consumer: 5 frames with Quorvane 0.3.0"

# A request for another minor version is refused (before 1.0 a minor version may change the
# interface).
mkdir -p "$out/version-check"
echo 'cmake_minimum_required(VERSION 3.20)
project(VersionCheck NONE)
find_package(Quorvane 0.4 CONFIG REQUIRED)' >"$out/version-check/CMakeLists.txt"
if cmake -S "$out/version-check" -B "$out/version-check/build" -DCMAKE_PREFIX_PATH="$out/prefix" \
  >"$out/version-check/log" 2>&1 || ! grep -q "version: 0.3.0" "$out/version-check/log"; then
  echo "examples: find_package(Quorvane 0.4) accepted version 0.3.0" >&2
  exit 1
fi

[ "$windows" -eq 1 ] || exit 0
echo "== Windows: the engine installed into $out/prefix-windows"
toolchain="$root/cmake/mingw-w64-i686.cmake"
if [ ! -f "$root/build-windows/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$root/build-windows" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
install_engine "$root/build-windows" "$out/prefix-windows" qv
for project in consumer examples; do
  source="$root/$project"
  [ "$project" = consumer ] && source="$root/tests/consumer"
  cmake -S "$source" -B "$out/$project-windows" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DQuorvane_DIR="$out/prefix-windows/lib/cmake/Quorvane" >/dev/null
  cmake --build "$out/$project-windows" -j"$(nproc)" >/dev/null
done
file "$out"/examples-windows/*.exe "$out/consumer-windows/consumer.exe" | sed "s|$out/||"

# The browser: when the page has been built (scripts/web.sh, as CI's web test does), the engine
# of that build installed into build-examples/prefix-web and the examples built as pages.
web="$root/build-web"
[ -f "$web/.cmake/CMakeCache.txt" ] || exit 0
echo "== Browser: the engine installed into $out/prefix-web"
export NODE_PATH=/usr/share/nodejs EM_CACHE="$web/.emcache" EM_FROZEN_CACHE=0
install_engine "$web/.cmake" "$out/prefix-web" qv qvmain
emcmake cmake -S "$root/examples" -B "$out/examples-web" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$out/prefix-web" -DCMAKE_FIND_ROOT_PATH="$out/prefix-web" \
  -Dfreetype_DIR="$web/.deps/freetype/install/lib/cmake/freetype" >/dev/null
cmake --build "$out/examples-web" -j"$(nproc)" >/dev/null
ls "$out/examples-web"/*.html | sed "s|$out/||"
