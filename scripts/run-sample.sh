#!/usr/bin/env bash
# Main job: builds everything, writes the sample product's setup programs
# (the 32-bit release one and its 64-bit twin), lists and verifies them, and
# runs the 64-bit one under Wine until its wizard shows; a screenshot of the
# screen is left in the build folder.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build}
"$src/scripts/build.sh" "$out"
tool=$out/host/buildtool/mksetup
for arch in i686 x86_64; do
  bin=$out/win-$arch/bin
  "$tool" build "$bin/setupeng.exe" "$bin/supportlib.dll" "$src/sample" "$out/sample-setup-$arch.exe"
  "$tool" verify "$out/sample-setup-$arch.exe"
done
echo "32-bit engine image: $(stat -c %s "$out/win-i686/bin/setupeng.exe") bytes (slot 102912)"
echo "Release setup program: $out/sample-setup-i686.exe"
"$tool" list "$out/sample-setup-i686.exe"

source "$src/scripts/wine-session.sh"
wine "$out/sample-setup-x86_64.exe" &
setup=$!
for _ in $(seq 1 100); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Setup"\|"Sample Product Setup"'; then break; fi
  sleep 0.2
done
sleep 1
import -window root "$out/sample-setup.png"
echo "The sample setup is running; screenshot: $out/sample-setup.png"
kill "$setup" 2>/dev/null || true
