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
# The engine's and the platform's tests again on a processor without AVX-512, as most players'
# are: Valgrind's processor lacks it, so nothing built for it may run unless the processor has
# it (start-up code included), and the AVX2 loops are the ones chosen.
if [ "${1:-}" != "--sanitize" ]; then
  valgrind --tool=none --error-exitcode=1 -q tests/qv_tests --gtest_brief=1
  valgrind --tool=none --error-exitcode=1 -q tests/platform_tests --gtest_brief=1
fi
