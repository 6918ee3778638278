#!/usr/bin/env bash
# Runs one fuzz target for a bounded time over its seeds.
# Usage: run_fuzz.sh TARGET SEED-FOLDER WORK-FOLDER SECONDS
# New inputs collect in WORK-FOLDER; a failing input is kept there as
# crash-*, timeout-* or leak-* and the run fails.
set -eu
target=$1 seeds=$2 work=$3 seconds=$4
mkdir -p "$work/corpus"
exec "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$seeds"
