#!/usr/bin/env bash
# Makes the release packages in dist/:
#   quorvane_<version>_amd64.deb          the game: program, files, launcher, menu entry, manual
#   libquorvane-dev_<version>_amd64.deb   the engine: headers, libraries, CMake and pkg-config
#   quorvane-<version>-windows.zip        quorvane.exe, its files, a README and the licences
#   quorvane-<version>-web.tar.gz         the browser page's site, for any static web server
# checks the .deb files with lintian (no errors) and unpacks them into a fresh tree to check
# their contents: the launcher starts the game, a program builds against the engine.
# Usage: scripts/package.sh [deb] [windows] [web]   (all by default)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dist="$root/dist"
stage="$dist/.stage"
what=("$@")
[ ${#what[@]} -gt 0 ] || what=(deb windows web)
wants() { [[ " ${what[*]} " == *" $1 "* ]]; }

"$root/scripts/setup.sh" package
version=$(sed -n 's/^project(Quorvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
arch=$(dpkg --print-architecture)
maintainer="Quorvane developers <devel@quorvane.org>"
# Dates and times in the packages: the last commit's, so that the same tree gives the same files.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}"
rm -rf "$stage"
mkdir -p "$dist" "$stage"

# doc_files PACKAGE ROOT: the copyright file (machine-readable, with the MIT licence) and the
# changelog every Debian package carries.
doc_files() {
  local doc="$2/usr/share/doc/$1"
  mkdir -p "$doc"
  {
    echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
    echo "Upstream-Name: Quorvane"
    echo
    echo "Files: *"
    echo "Copyright: The Quorvane developers"
    echo "License: Expat"
    sed -e '1,/^Permission/{/^Permission/!d}' -e 's/^$/./' -e 's/^/ /' "$root/LICENSE"
  } >"$doc/copyright"
  {
    echo "$1 ($version) unstable; urgency=medium"
    echo
    echo "  * Release $version."
    echo
    echo " -- $maintainer  $(date -R -u -d "@$SOURCE_DATE_EPOCH")"
  } | gzip -9n >"$doc/changelog.gz"
}

# build_deb ROOT: control fields from ROOT/DEBIAN/control.in plus size and sums, then the .deb.
build_deb() {
  local tree="$1"
  find "$tree" -type d -exec chmod 0755 {} +
  find "$tree" -type f ! -path '*/DEBIAN/*' -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  (cd "$tree" && find . -type f ! -path './DEBIAN/*' -printf '%P\0' | sort -z | xargs -0 md5sum) \
    >"$tree/DEBIAN/md5sums"
  {
    cat "$tree/DEBIAN/control.in"
    echo "Installed-Size: $(du -sk --exclude=DEBIAN "$tree" | cut -f1)"
  } >"$tree/DEBIAN/control"
  rm "$tree/DEBIAN/control.in"
  chmod 0644 "$tree/DEBIAN/control" "$tree/DEBIAN/md5sums"
  dpkg-deb --root-owner-group -Zxz --build "$tree" "$dist" >/dev/null
}

if wants deb; then
  # The Linux build: the tests' build when there is one (CI has just made it), else its own.
  build="$root/build-test"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    build="$root/build-package"
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF \
      -DQV_BUILD_BENCH=OFF >/dev/null
  fi
  cmake --build "$build" --target quorvane qv qvmain -j"$(nproc)" >/dev/null

  echo "== quorvane_${version}_${arch}.deb"
  game="$stage/quorvane"
  DESTDIR="$game" cmake --install "$build" --component game --prefix /usr >/dev/null
  strip --strip-unneeded --remove-section=.comment --remove-section=.note \
    "$game/usr/lib/quorvane/quorvane"
  install -D -m 0755 "$root/packaging/linux/quorvane.sh" "$game/usr/games/quorvane"
  install -D -m 0644 "$root/packaging/linux/quorvane.desktop" \
    "$game/usr/share/applications/quorvane.desktop"
  mkdir -p "$game/usr/share/man/man6" "$game/usr/share/icons/hicolor/64x64/apps"
  sed "s/@VERSION@/$version/" "$root/packaging/linux/quorvane.6" | gzip -9n \
    >"$game/usr/share/man/man6/quorvane.6.gz"
  # The icon: two rows of bricks, the ball and the paddle on the game's background.
  a="$root/assets"
  convert "$a/brick.bmp" -crop 50x26+0+0 +repage -transparent magenta -resize '28x15!' "$stage/red.png"
  convert "$a/brick.bmp" -crop 50x26+0+60 +repage -transparent magenta -resize '28x15!' "$stage/green.png"
  convert "$a/paddle.bmp" -crop 80x15+0+0 +repage -transparent magenta -resize '52x10!' "$stage/paddle.png"
  convert "$a/ball.bmp" -transparent magenta "$stage/ball.png"
  convert "$a/background2.bmp" -crop 256x256+272+172 +repage -resize 64x64 \
    "$stage/red.png" -geometry +3+4 -composite "$stage/green.png" -geometry +33+4 -composite \
    "$stage/green.png" -geometry +3+20 -composite "$stage/red.png" -geometry +33+20 -composite \
    "$stage/ball.png" -geometry +30+36 -composite "$stage/paddle.png" -geometry +6+52 -composite \
    -strip "$game/usr/share/icons/hicolor/64x64/apps/quorvane.png"
  doc_files quorvane "$game"
  # The shared libraries the program links, as Debian packages.
  mkdir -p "$stage/shlibs/debian" "$game/DEBIAN"
  printf 'Source: quorvane\n\nPackage: quorvane\nArchitecture: any\n' >"$stage/shlibs/debian/control"
  depends=$(cd "$stage/shlibs" && dpkg-shlibdeps -O "$game/usr/lib/quorvane/quorvane" 2>/dev/null |
    sed -n 's/^shlibs:Depends=//p')
  cat >"$game/DEBIAN/control.in" <<CONTROL
Package: quorvane
Version: $version
Architecture: $arch
Maintainer: $maintainer
Depends: $depends, fonts-liberation
Section: games
Priority: optional
Description: brick-and-paddle arcade game
 Quorvane is a single-player brick-and-paddle arcade game. Move the paddle
 along the bottom of the screen with the mouse and keep the ball in play.
 Plain bricks break at one hit, metal bricks never break, and glowing capsule
 bricks drop a capsule that makes the paddle wide. Clear every breakable
 brick to win.
CONTROL
  build_deb "$game"

  echo "== libquorvane-dev_${version}_${arch}.deb"
  dev="$stage/libquorvane-dev"
  DESTDIR="$dev" cmake --install "$build" --component dev --prefix /usr >/dev/null
  find "$dev" -name '*.a' -exec strip --strip-debug --remove-section=.comment \
    --remove-section=.note --enable-deterministic-archives {} +
  doc_files libquorvane-dev "$dev"
  mkdir -p "$dev/DEBIAN"
  cat >"$dev/DEBIAN/control.in" <<CONTROL
Package: libquorvane-dev
Version: $version
Architecture: $arch
Maintainer: $maintainer
Depends: libsdl2-dev, libfreetype-dev, libfontconfig-dev, libx11-dev, pkgconf | pkg-config
Section: libdevel
Priority: optional
Description: small 2D engine over DirectDraw, DirectInput and GDI
 Quorvane's engine draws with DirectDraw surfaces (colour keys, software
 blenders, lines and shapes, bitmap-font and GDI text, 8-bit palettes) and
 reads the keyboard, mouse and joystick through DirectInput. Its programs are
 Windows programs with a WinMain; on Linux they run on the engine's own
 implementation of those Windows services, over SDL2, FreeType and fontconfig.
 .
 This package holds the headers, the static libraries, the CMake package
 (find_package(Quorvane)) and the pkg-config file (quorvane.pc).
CONTROL
  build_deb "$dev"

  echo "== lintian"
  lintian --fail-on error --no-tag-display-limit "$dist/quorvane_${version}_${arch}.deb" \
    "$dist/libquorvane-dev_${version}_${arch}.deb"

  echo "== the .deb files unpacked into a fresh tree"
  check="$stage/check"
  mkdir -p "$check/root"
  for deb in "$dist/quorvane_${version}_${arch}.deb" "$dist/libquorvane-dev_${version}_${arch}.deb"; do
    dpkg -x "$deb" "$check/root"
  done
  r="$check/root"
  for f in usr/games/quorvane usr/lib/quorvane/quorvane usr/share/quorvane/level1.txt \
    usr/share/quorvane/background2.bmp usr/share/applications/quorvane.desktop \
    usr/share/icons/hicolor/64x64/apps/quorvane.png usr/share/man/man6/quorvane.6.gz \
    usr/include/quorvane/qvscreen.h usr/include/quorvane/windows.h \
    usr/lib/cmake/Quorvane/QuorvaneConfig.cmake; do
    [ -e "$r/$f" ] || { echo "package: $f is missing" >&2; exit 1; }
  done
  "$r/usr/lib/quorvane/quorvane" --version | grep -x "quorvane $version" >/dev/null
  # The launcher, pointed at the unpacked tree, starts the game: it is still playing when stopped.
  sed "s|/usr/|$r/usr/|g" "$r/usr/games/quorvane" >"$check/launcher"
  chmod +x "$check/launcher"
  status=0
  (cd / && QV_BACKEND=headless timeout 3 "$check/launcher" >"$check/game.log" 2>&1) || status=$?
  if [ "$status" -ne 124 ]; then
    echo "package: the game did not start from its launcher (exit $status):" >&2
    cat "$check/game.log" >&2
    exit 1
  fi
  # A program builds against the unpacked engine and runs.
  cmake -S "$root/tests/consumer" -B "$check/consumer" -DCMAKE_PREFIX_PATH="$r/usr" >/dev/null
  cmake --build "$check/consumer" >/dev/null
  QV_BACKEND=headless "$check/consumer/consumer"
fi

if wants windows; then
  echo "== quorvane-$version-windows.zip"
  "$root/scripts/build-windows.sh" >/dev/null
  name="quorvane-$version-windows"
  win="$stage/$name"
  cmake --install "$root/build-windows" --component game --prefix "$win" >/dev/null
  sed "s/@VERSION@/$version/" "$root/packaging/windows/README.txt" | sed 's/$/\r/' >"$win/README.txt"
  sed 's/$/\r/' "$root/LICENSE" >"$win/LICENSE.txt"
  cp "$root/THIRD-PARTY.md" "$win/THIRD-PARTY.md"
  rm -f "$dist/$name.zip"
  find "$win" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  (cd "$stage" && zip -qrX "$dist/$name.zip" "$name")
  unzip -l "$dist/$name.zip" | grep "$name/quorvane.exe" >/dev/null
fi

if wants web; then
  echo "== quorvane-$version-web.tar.gz"
  site="$root/build-web/site"
  if [ ! -d "$site" ]; then
    [ -f "$root/build-web/quorvane.wasm" ] || "$root/scripts/web.sh" --build-only >/dev/null
    # The page is what web.sh leaves in build-web/, less its build folders.
    site="$stage/web-site"
    mkdir -p "$site"
    (cd "$root/build-web" && find . -mindepth 1 -maxdepth 1 ! -name '.*' -exec cp -r {} "$site/" \;)
  fi
  [ -f "$site/index.html" ] || { echo "package: no index.html in $site" >&2; exit 1; }
  name="quorvane-$version-web"
  tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
    -czf "$dist/$name.tar.gz" --transform "s|^\.|$name|" -C "$site" .
fi

rm -rf "$stage"
ls -l "$dist"
