#!/usr/bin/env bash
# Builds everything and runs every test. With --sanitize, in a separate build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-test"
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  build="$root/build-sanitize"
  flags=(-DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_BUILD_BENCH=OFF)
fi
"$root/scripts/setup.sh" test
cmake -S "$root" -B "$build" "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 300
# Each test binary also passes as one process, its tests in a random order: no test may lean on
# what another left behind.
tests/platform_tests --gtest_shuffle --gtest_brief=1
tests/qv_tests --gtest_shuffle --gtest_brief=1
QV_ASSETS="$root/assets" tests/game_tests --gtest_shuffle --gtest_brief=1
