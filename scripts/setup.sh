#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing Quorvane need, when missing.
# Usage: scripts/setup.sh [play|test|windows|web|web-test|fuzz]...
set -euo pipefail

packages=(cmake g++ make pkg-config libsdl2-dev libfreetype-dev libfontconfig-dev libpng-dev fonts-liberation)
for what in "$@"; do
  case "$what" in
    test) packages+=(googletest libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev libsdl2-gfx-dev xvfb xdotool x11-apps x11-utils imagemagick valgrind) ;;
    windows) packages+=(g++-mingw-w64-i686 mingw-w64-i686-dev) ;;
    web) packages+=(emscripten dpkg-dev xz-utils python3) ;;
    web-test) packages+=(emscripten dpkg-dev xz-utils python3 chromium) ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    docs) packages+=(doxygen) ;;
    package) packages+=(dpkg-dev lintian zip imagemagick gzip) ;;
  esac
done

# Earlier versions of scripts/web-freetype.sh left this one-line source behind; beside Debian 12's
# debian.sources it makes every apt command fail ("Conflicting values set for option Signed-By").
stale=/etc/apt/sources.list.d/quorvane-deb-src.list
if [ -f "$stale" ] && [ "$(cat "$stale")" = "deb-src http://deb.debian.org/debian bookworm main" ]; then
  echo "Removing $stale, which an earlier Quorvane set-up wrote and which breaks apt"
  if [ "$(id -u)" -eq 0 ]; then rm -f "$stale"; else sudo rm -f "$stale"; fi
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep "install ok installed" >/dev/null || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  # Another apt-get or dpkg may hold the lock (an unattended upgrade, a parallel set-up): wait
  # for it rather than fail.
  lock=(-o DPkg::Lock::Timeout=600)
  $sudo_cmd apt-get "${lock[@]}" update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get "${lock[@]}" install -y -q "${missing[@]}"
fi
