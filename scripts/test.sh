#!/usr/bin/env bash
# Builds everything, then runs the host tests and the fuzz targets natively
# and the Windows tests under 64-bit Wine (scripts/wine-session.sh).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build}
"$src/scripts/build.sh" "$out"

ctest --test-dir "$out/host" --output-on-failure
# The fuzz targets side by side, each for its bounded time.
ctest --test-dir "$out/fuzz" --output-on-failure -j 2

source "$src/scripts/wine-session.sh"
ctest --test-dir "$out/win-x86_64" --output-on-failure -j 2 --timeout 300
