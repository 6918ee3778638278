#!/usr/bin/env bash
# An author's way from nothing to an installed product: mksetup new, 300
# files in nested folders listed by mksetup scan, mksetup build, and a
# silent install under Wine whose files must equal their sources byte for
# byte. The silent setup still shows the destination and ready pages, which
# drive_install.exe answers with Next.
# Usage: new_scan_install.sh MKSETUP ENGINE LIBRARY DRIVER WORK-FOLDER [RUNNER...]
# RUNNER runs the driver (default: scripts/wine-run.sh).
set -eu
tool=$1 engine=$2 library=$3 driver=$4 work=$5
shift 5
here=$(cd "$(dirname "$0")/../.." && pwd)
runner=("$@")
[ ${#runner[@]} -gt 0 ] || runner=("$here/scripts/wine-run.sh")
rm -rf "$work"
mkdir -p "$work"
product=$work/product
"$tool" new "$product" "Authored Product"
# 300 files, one to four folders deep, from empty to a few KiB.
RANDOM=300
folders=("" bin data/set data/set/deep/er docs docs/help)
for i in $(seq 0 298); do
  folder="$product/files/A/${folders[i % 6]}"
  mkdir -p "$folder"
  size=$(( i == 0 ? 0 : RANDOM % 6000 + 1 ))
  head -c "$size" /dev/urandom > "$folder/$(printf 'file%03d.dat' "$i")"
done
"$tool" scan "$product" | tee "$work/scan.txt"
grep -q "^300 records: 299 new, 1 kept" "$work/scan.txt"
"$tool" check "$product"
"$tool" build "$engine" "$library" "$product" "$work/setup.exe"
"$tool" verify "$work/setup.exe"

prefix=${WINEPREFIX:-/tmp/setupengine-wine-$(id -u)}
target="$prefix/drive_c/Authored Product"
rm -rf "$target"
"${runner[@]}" "$driver" "$(winepath -w "$work/setup.exe")"
[ -f "$target/install.log" ] || { echo "no install log in $target"; exit 1; }
count=0
while IFS= read -r -d '' f; do
  rel=${f#"$product/files/A/"}
  cmp "$f" "$target/$rel"
  count=$((count + 1))
done < <(find "$product/files/A" -type f -print0)
copies=$(grep -c '^Copy   :' "$target/install.log" || true)
echo "$count files installed and equal to their sources, $copies copy records"
[ "$count" -eq 300 ] && [ "$copies" -eq 300 ]
rm -rf "$target"
