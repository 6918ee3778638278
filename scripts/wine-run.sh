#!/usr/bin/env bash
# Runs one Windows program under 64-bit Wine; ctest uses it as the
# emulator of the test build. The test command (scripts/test.sh) sets up the
# prefix, the display and a persistent wineserver; run alone, this falls
# back to a private prefix below /tmp.
set -u
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=/tmp/setupengine-wine-$(id -u)
fi
exec wine "$@"
