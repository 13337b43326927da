#!/usr/bin/env bash
# Builds Quorvane and plays it, with the options given (see quorvane --help). The game reads its
# files from the current folder, so it runs from assets/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" play
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build" --target quorvane -j"$(nproc)"
cd "$root/assets"
exec "$root/build/game/quorvane" "$@"
