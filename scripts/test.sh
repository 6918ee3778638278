#!/usr/bin/env bash
# Builds everything, then runs the host tests natively and the Windows tests
# under 64-bit Wine on a private X display, with a fresh Wine prefix and one
# persistent wineserver for the whole run.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build}
"$src/scripts/build.sh" "$out"

ctest --test-dir "$out/host" --output-on-failure

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$(mktemp -d /tmp/setupengine-prefix.XXXXXX)
display=:$(( 90 + RANDOM % 400 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  kill "$xvfb" >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
wineserver -p
wineboot -i >/dev/null 2>&1 || true
ctest --test-dir "$out/win-x86_64" --output-on-failure -j 2 --timeout 300
