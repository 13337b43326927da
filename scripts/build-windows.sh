#!/usr/bin/env bash
# Cross-builds quorvane.exe for 32-bit Windows with mingw-w64.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" windows
cmake -S "$root" -B "$root/build-windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-windows" -j"$(nproc)"
file "$root/build-windows/game/quorvane.exe" 2>/dev/null || ls -l "$root/build-windows/game/quorvane.exe"
