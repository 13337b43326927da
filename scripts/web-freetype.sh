#!/usr/bin/env bash
# Builds FreeType for WebAssembly from Debian's source package (with Debian's patches), into
# DIR/install: a static library with only what GDI text needs (no zlib, PNG, HarfBuzz, Brotli or
# bzip2). Done once; a finished build is kept. Usage: scripts/web-freetype.sh DIR
set -euo pipefail
dir="$(mkdir -p "$1" && cd "$1" && pwd)"
[ -f "$dir/install/.done" ] && exit 0

# apt-get source needs a source line for bookworm.
if ! grep -rqs '^deb-src .*bookworm\|^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "deb-src http://deb.debian.org/debian bookworm main" >/etc/apt/sources.list.d/quorvane-deb-src.list
  apt-get -o DPkg::Lock::Timeout=600 update -q
fi

rm -rf "$dir/src" "$dir/build" "$dir/install"
rm -rf "$dir/download" && mkdir -p "$dir/download"
(cd "$dir/download" && apt-get source --download-only -q freetype)
dpkg-source -x "$dir"/download/freetype_*.dsc "$dir/src" >/dev/null

emcmake cmake -S "$dir/src" -B "$dir/build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$dir/install" -DBUILD_SHARED_LIBS=OFF \
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
  -DFT_DISABLE_BROTLI=ON >"$dir/configure.log"
cmake --build "$dir/build" -j"$(nproc)" >"$dir/build.log"
cmake --install "$dir/build" >/dev/null
cp "$dir/src/docs/FTL.TXT" "$dir/install/FTL.TXT"
touch "$dir/install/.done"
