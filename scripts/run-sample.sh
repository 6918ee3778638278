#!/usr/bin/env bash
# Main job: builds the build tool and the programs a setup is made of (not
# the tests), writes the sample product's setup programs (the 32-bit
# release one and its 64-bit twin), lists and verifies them, runs
# the 64-bit one silently under Wine, and prints the files it installed and
# its install log.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build}
"$src/scripts/build.sh" "$out" --programs
tool=$out/host/buildtool/mksetup
for arch in i686 x86_64; do
  bin=$out/win-$arch/bin
  # The sample with the uninstaller of the same build.
  stage=$out/sample-$arch
  rm -rf "$stage" && cp -r "$src/sample" "$stage" && cp "$bin/uninstx.exe" "$stage/"
  "$tool" build "$bin/setupeng.exe" "$bin/supportlib.dll" "$stage" "$out/sample-setup-$arch.exe"
  "$tool" verify "$out/sample-setup-$arch.exe"
  # The sample with its wizard on (setup types, components, the folder
  # browser, the program folder page), for a person to click through.
  "$tool" build "$bin/setupeng.exe" "$bin/supportlib.dll" "$src/sample/wizard" "$out/sample-wizard-setup-$arch.exe"
  "$tool" verify "$out/sample-wizard-setup-$arch.exe"
done
echo "32-bit engine image: $(stat -c %s "$out/win-i686/bin/setupeng.exe") bytes (slot 102912)"
echo "32-bit uninstaller: $(stat -c %s "$out/win-i686/bin/uninstx.exe") bytes"
echo "Release setup program: $out/sample-setup-i686.exe"
"$tool" list "$out/sample-setup-i686.exe"

# The 64-bit twin installs the sample silently into a fresh Wine prefix.
source "$src/scripts/wine-session.sh"
echo "Installing the sample product silently: wine sample-setup-x86_64.exe -s"
set +e
timeout 120 wine "$out/sample-setup-x86_64.exe" -s
status=$?
set -e
echo "Setup ended with exit code $status"
folder=$(winepath -u 'C:\Sample Product' 2>/dev/null)
echo "Installed files (C:\\Sample Product is $folder):"
(cd "$folder" && find . -type f -printf '  %P  %s bytes\n' | sort)
echo "Install log (C:\\Sample Product\\install.log):"
tr -d '\r' < "$folder/install.log" | sed 's/^/  /'
echo "The sample with its wizard on: wine $out/sample-wizard-setup-x86_64.exe"

# The uninstaller the sample installed removes it again.
echo "Removing it silently: wine 'C:\Sample Product\uninstx.exe' -s"
set +e
timeout 120 wine "$folder/uninstx.exe" -s
echo "Uninstaller ended with exit code $?"
set -e
echo "Left in C:\Sample Product: $(find "$folder" -type f 2>/dev/null | wc -l) files"
exit "$status"
