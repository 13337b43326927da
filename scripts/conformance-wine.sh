#!/usr/bin/env bash
# Runs the Windows build under Wine, as an independent Windows: first the conformance suite,
# then quorvane.exe on a one-brick level, which must clear it by itself and end with exit
# code 1. Installs what it needs, keeps its own Wine prefix under build-windows/ and its own
# Xvfb display. Exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-windows"

# ---- What it needs ------------------------------------------------------------------------------
lock=(-o DPkg::Lock::Timeout=600)
missing=()
dpkg --print-foreign-architectures | grep -x i386 >/dev/null || dpkg --add-architecture i386
for p in wine wine32:i386 xvfb fonts-liberation; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep "install ok installed" >/dev/null || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get "${lock[@]}" update -q
  DEBIAN_FRONTEND=noninteractive apt-get "${lock[@]}" install -y -q "${missing[@]}"
fi
"$root/scripts/build-windows.sh" >/dev/null

# ---- A private display and Wine prefix ----------------------------------------------------------
display=99
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display - 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
work="$(mktemp -d)"
cleanup() {
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export DISPLAY=":$display"
export WINEPREFIX="$build/wine-prefix"
export WINEARCH=win32
# Wine's own error lines only, kept in a log per step and printed when that step fails.
export WINEDEBUG=-all,err+all
# No Mono or Gecko install dialogs: the programs need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
fi
# Every program runs in one 1024 x 768 virtual desktop, as on a machine with one monitor.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wineserver -w

failed=0

# ---- The conformance suite ----------------------------------------------------------------------
echo "== conformance.exe under $(wine --version)"
wine_log="$build/wine-conformance.log"
if ! (cd "$work" && timeout 300 wine "$build/tests/conformance/conformance.exe" 2>"$wine_log" |
  tr -d '\r'); then
  echo "conformance.exe failed; Wine's error output ($wine_log):"
  tail -n 50 "$wine_log"
  failed=1
fi

# ---- The game on a one-brick level --------------------------------------------------------------
# The ball starts at x = 400 and rises straight up: its centre (x = 407) runs through column 8,
# so a brick there, in row 5, is hit about a second in, with no input.
game="$work/game"
mkdir -p "$game"
cp "$root"/assets/*.bmp "$game/"
cp "$build/game/quorvane.exe" "$game/"
{
  for row in 0 1 2 3 4; do echo "0000000000000000"; done
  echo "0000000010000000"
  for row in 6 7 8 9 10 11; do echo "0000000000000000"; done
} | sed 's/$/\r/' >"$game/level1.txt"
echo "== quorvane.exe on a one-brick level"
# The game is started by cmd's "start /wait", which reports the exit code the program gave
# ExitProcess. Wine itself, on a loaded machine, sometimes dies on its way out of a process that
# leaves an exclusive DirectDraw object and DirectInput devices to the end (SIGKILL, SIGSEGV or a
# glibc heap check, with no Wine error output); the same happens to a ten-line program that does
# only that, so it is not the game's fault. The Windows exit code survives it. A fault of the
# program itself still fails here: an unhandled exception gives its code (0xC0000005 ...) and
# Wine's "Unhandled" report, and a hang runs into the timeout.
printf '@start /wait quorvane.exe\r\n@echo exit code %%errorlevel%%\r\n' >"$game/run.bat"
wine_log="$build/wine-game.log"
# Rarely Wine takes cmd down with it and no exit code comes back at all, with no error output
# either; that run alone is tried once more.
for attempt in 1 2; do
  set +e
  out="$(cd "$game" && timeout 60 wine cmd /c run.bat 2>"$wine_log" | tr -d '\r')"
  set -e
  code="$(printf '%s\n' "$out" | sed -n 's/^exit code \(-\{0,1\}[0-9]*\)$/\1/p' | tail -n 1)"
  if [ -n "$code" ] || [ -s "$wine_log" ]; then break; fi
  echo "quorvane.exe: Wine gave no exit code and no error output (attempt $attempt)"
done
if [ "$code" = "1" ] && ! grep -q "Unhandled" "$wine_log"; then
  echo "quorvane.exe cleared the level: exit code 1"
else
  echo "quorvane.exe ended with exit code ${code:-unknown} (1 expected); Wine's error output" \
    "($wine_log):"
  tail -n 50 "$wine_log"
  failed=1
fi
exit "$failed"
