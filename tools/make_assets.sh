#!/bin/sh
# Rebuilds the game's art and level in assets/ from tools/make_assets.cpp.
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-tools -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF >/dev/null
cmake --build build-tools --target make_assets -j"$(nproc)"
build-tools/tools/make_assets assets
