#!/usr/bin/env bash
# The sample product's setup program installs silently under Wine.
# Usage: sample_install.sh SAMPLE_FOLDER RUNNER... SETUP_PROGRAM
# Checks the exit code, the installed files against the sample's and the
# build's uninstaller, and the install log's header and copy records.
set -u
sample=$1
shift
setup=${!#}
bad=0
check() { if ! eval "$1"; then echo "FAILED: $2"; bad=1; fi; }

folder=$(winepath -u 'C:\Sample Product' 2>/dev/null)
rm -rf "$folder"
"$@" -s
status=$?
check '[ "$status" = 0 ]' "exit code $status, expected 0"
for f in program.txt readme.txt docs/licence.txt; do
  check 'cmp -s "$sample/${f#docs/}" "$folder/$f"' "$f not installed as in the sample"
done
check 'cmp -s "$(dirname "$setup")/uninstx.exe" "$folder/uninstx.exe"' "uninstx.exe not installed as built"
check '[ "$(find "$folder" -type f | wc -l)" = 5 ]' "installed other files than four and the log"

log=$(tr -d '\r' < "$folder/install.log" 2>/dev/null)
source_path=$(winepath -w "$setup" 2>/dev/null)
check 'grep -qx "Module : Sample Product Setup - \[Typical\] - [0-9/]* [0-9:]*" <<<"$log"' "log: module line"
check 'grep -qxF "Source : $source_path" <<<"$log"' "log: source line is not $source_path"
check '[ "$(grep "^Copy   : " <<<"$log")" = "Copy   : C:\Sample Product\program.txt
Copy   : C:\Sample Product\readme.txt
Copy   : C:\Sample Product\docs\licence.txt
Copy   : C:\Sample Product\uninstx.exe" ]' "log: copy records"
if [ $bad != 0 ]; then
  echo "install log:"
  echo "$log"
fi
rm -rf "$folder"
exit $bad
