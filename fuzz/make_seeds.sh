#!/usr/bin/env bash
# Seed inputs for the fuzz targets, cut from a setup program the build tool
# wrote at the offsets its listing gives: for the entry walk the payload
# (whole, up to its fourth entry, and cut inside its last entry) and each
# entry alone; for the decoder each entry's deflate stream (fixed blocks for
# the small files, dynamic ones for the larger), a stored block and an empty
# stream.
# Usage: make_seeds.sh MKSETUP SETUP WALK-FOLDER INFLATE-FOLDER
set -euo pipefail
tool=$1 setup=$2 walk=$3 inflate=$4
header=40  # bytes of an entry's fixed header
cut() { dd if="$setup" iflag=skip_bytes,count_bytes skip="$1" count="$2" status=none; }
n=0
while read -r offset stored expanded crc folder name; do
  n=$((n + 1))
  [ $n -ne 1 ] || first=$offset
  [ $n -ne 4 ] || fourth=$offset
  data=$((offset + header + ${#folder} + ${#name}))
  cut "$offset" $((data + stored - offset)) > "$walk/entry-$n"
  cut "$data" "$stored" > "$inflate/entry-$n"
done < <("$tool" list "$setup")
size=$(stat -c %s "$setup")
cut "$first" $((size - first)) > "$walk/payload"
cut "$first" $((fourth - first)) > "$walk/head"
cut "$first" $((size - first - 3)) > "$walk/cut"
printf '\001\005\000\372\377hello' > "$inflate/stored"
printf '\003\000' > "$inflate/empty"  # one fixed block holding only its end code
echo "make_seeds.sh: $n entries"
