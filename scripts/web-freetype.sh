#!/usr/bin/env bash
# Builds FreeType for WebAssembly from Debian's source package (with Debian's patches), into
# DIR/install: a static library with only what GDI text needs (no zlib, PNG, HarfBuzz, Brotli or
# bzip2). Done once; a finished build is kept. Usage: scripts/web-freetype.sh DIR
set -euo pipefail
dir="$(mkdir -p "$1" && cd "$1" && pwd)"
[ -f "$dir/install/.done" ] && exit 0

# apt-get source needs a deb-src line for bookworm. It gets one in a private apt configuration
# under DIR/apt (its own sources list, signed by Debian's archive key, its own lists and cache),
# so the system's apt configuration stays exactly as it was. The system's apt.conf.d (proxies and
# the like) still applies. Runs as root or as a normal user: nothing here needs privileges.
apt_dir="$dir/apt"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
[ -r "$keyring" ] || {
  echo "web-freetype: $keyring is missing (package debian-archive-keyring)" >&2
  exit 1
}
rm -rf "$apt_dir"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
echo "deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main" \
  >"$apt_dir/sources.list"
private_apt=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache="
  # apt would hand downloads to its unprivileged _apt user, who may not write to DIR.
  -o "APT::Sandbox::User=$(id -un)"
)
apt-get "${private_apt[@]}" update -q >"$dir/apt-update.log"

rm -rf "$dir/src" "$dir/build" "$dir/install"
rm -rf "$dir/download" && mkdir -p "$dir/download"
(cd "$dir/download" && apt-get "${private_apt[@]}" source --download-only -q freetype)
dpkg-source -x "$dir"/download/freetype_*.dsc "$dir/src" >/dev/null

emcmake cmake -S "$dir/src" -B "$dir/build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$dir/install" -DBUILD_SHARED_LIBS=OFF \
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
  -DFT_DISABLE_BROTLI=ON >"$dir/configure.log"
cmake --build "$dir/build" -j"$(nproc)" >"$dir/build.log"
cmake --install "$dir/build" >/dev/null
cp "$dir/src/docs/FTL.TXT" "$dir/install/FTL.TXT"
touch "$dir/install/.done"
