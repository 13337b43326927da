#!/bin/sh
# Rebuilds the game's art and level in assets/ from tools/make_assets.cpp.
set -e
cd "$(dirname "$0")/.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
${CXX:-g++} -std=c++17 -O2 -o "$out/make_assets" tools/make_assets.cpp
"$out/make_assets" assets
