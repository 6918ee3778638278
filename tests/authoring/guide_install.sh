#!/usr/bin/env bash
# A product written from docs/authoring.md alone (programs in two
# components, two setup types, shortcuts, INI values and registry values of
# both kinds, the uninstaller the build adds) checks clean, builds, and
# installs silently under Wine with everything it describes.
# Usage: guide_install.sh MKSETUP ENGINE LIBRARY DRIVER WORK-FOLDER [RUNNER...]
set -eu
tool=$1 engine=$2 library=$3 driver=$4 work=$5
shift 5
here=$(cd "$(dirname "$0")/../.." && pwd)
runner=("$@")
[ ${#runner[@]} -gt 0 ] || runner=("$here/scripts/wine-run.sh")
rm -rf "$work"
mkdir -p "$work"
product=$work/product
cp -r "$here/tests/authoring/guide_product" "$product"
# The pictures of a new product; the file script from the tree, with the
# uninstaller's record added by hand as the guide says, kept by a new scan.
"$tool" new "$work/scaffold" "Guide Product" >/dev/null
cp "$work"/scaffold/_PIC?.IMG "$product/"
"$tool" scan "$product"
printf '|Uninstaller||||1|||||||||||||||||uninstx.exe|\\|\r\n' >> "$product/_FILE1.SCR"
"$tool" scan "$product" | tee "$work/scan.txt"
grep -qx "6 records: 0 new, 6 kept as they were, 0 dropped (file gone)" "$work/scan.txt"
"$tool" check "$product" > "$work/check.txt"
if [ -s "$work/check.txt" ]; then cat "$work/check.txt"; echo "check is not clean"; exit 1; fi
"$tool" build "$engine" "$library" "$product" "$work/setup.exe"
"$tool" verify "$work/setup.exe"

prefix=${WINEPREFIX:-/tmp/setupengine-wine-$(id -u)}
target="$prefix/drive_c/Guide Product"
rm -rf "$target"
# A silent setup still shows its type, folder, program folder and ready
# pages (the default type names its components, so their page is passed
# over): Next on each.
"${runner[@]}" "$driver" "$(winepath -w "$work/setup.exe")" 614 522 596 704
bad=0
check() { if ! eval "$1"; then echo "FAILED: $2"; bad=1; fi; }
for f in bin/guide.exe bin/tool.exe bin/guide.dll readme.txt; do
  check 'cmp -s "$product/files/A/$f" "$target/$f"' "$f not installed from files/A"
done
check 'cmp -s "$product/files/B/help/guide.txt" "$target/help/guide.txt"' "help/guide.txt (component B of the default type) not installed"
check 'cmp -s "$(dirname "$engine")/uninstx.exe" "$target/uninstx.exe"' "uninstx.exe not the engine's own build"
ini=$(tr -d '\r' < "$target/guide.ini" 2>/dev/null)
check 'grep -qx "Folder=C:\\\\Guide Product" <<<"$ini"' "guide.ini: Folder"
check 'grep -qx "Help=C:\\\\Guide Product\\\\help\\\\guide.txt" <<<"$ini"' "guide.ini: Help"
for link in "Guide Product.lnk" "Guide Help.lnk"; do
  check '[ -n "$(find "$prefix/drive_c" -path "*/Guide Product/$link" -print -quit)" ]' "shortcut $link"
done
# Wine's own reg.exe of the session's prefix (the current user's keys are
# the same for 32-bit and 64-bit programs).
reg=$(WINEDEBUG=-all wine reg query 'HKCU\Software\Guide Product' 2>/dev/null | tr -d '\r')
check 'grep -q "Folder *REG_SZ *C:\\\\Guide Product$" <<<"$reg"' "registry: Folder (text)"
check 'grep -q "Runs *REG_DWORD *0x3$" <<<"$reg"' "registry: Runs (number)"
[ $bad = 0 ] || { echo "$reg"; tr -d '\r' < "$target/install.log"; }
echo "guide product: $(find "$target" -type f | wc -l) files, INI, shortcuts and registry values checked"
rm -rf "$target"
exit $bad
