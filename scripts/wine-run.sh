#!/usr/bin/env bash
# Runs one Windows program under 64-bit Wine; ctest uses it as the
# emulator of the test build. The test command (scripts/test.sh) sets up the
# prefix, the display and a persistent wineserver; run alone, this falls
# back to a private prefix below /tmp. `--loader COMMAND... --` runs the
# program with another loader (scripts/wine32.sh uses it).
set -u
loader=(wine)
if [ "${1:-}" = --loader ]; then
  shift
  loader=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do loader+=("$1"); shift; done
  shift
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=/tmp/setupengine-wine-$(id -u)
fi
# Wine's own long-lived processes (the desktop, services) started by the
# program inherit its output; were that ctest's pipe, ctest would wait for
# them to end long after the test. The output goes through a file instead.
log=$(mktemp /tmp/wine-run.XXXXXX)
"${loader[@]}" "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
rm -f "$log"
exit $status
