#!/usr/bin/env bash
# Main job: builds everything, then the sample product's setup program.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build}
"$src/scripts/build.sh" "$out"
echo "32-bit engine image: $(stat -c %s "$out/win-i686/bin/setupeng.exe") bytes (slot 102912)"
