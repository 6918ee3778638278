#!/usr/bin/env bash
# Builds everything, then runs the host tests and the fuzz targets natively,
# the Windows tests under 64-bit Wine and the same tests of the 32-bit build
# under the 32-bit Wine loader (scripts/wine32.sh), each Wine run in a fresh
# session (scripts/wine-session.sh).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build}
# A machine where the 32-bit loader cannot be had fails here, with the reason.
"$src/scripts/install-packages.sh"
bash "$src/scripts/wine32.sh" prepare "$out/wine32-root"
"$src/scripts/build.sh" "$out"

ctest --test-dir "$out/host" --output-on-failure
# The fuzz targets side by side, each for its bounded time.
ctest --test-dir "$out/fuzz" --output-on-failure -j 2

# The driven tests' time limits, three times theirs: a test only meets them
# when it fails, and a loaded machine or emulation is slower.
export SETUP_TEST_TIME_SCALE=${SETUP_TEST_TIME_SCALE:-3}
(source "$src/scripts/wine-session.sh"
 ctest --test-dir "$out/win-x86_64" --output-on-failure -j 2 --timeout 300)
# README's pictures, fresh from this build (the wizard tests take them).
bash "$src/scripts/readme-pictures.sh" "$out"
echo "The 32-bit build's tests under the 32-bit Wine loader:"
(source "$src/scripts/wine-session.sh"
 ctest --test-dir "$out/win-i686" --output-on-failure -j 2 --timeout 300)
