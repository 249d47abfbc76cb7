#!/bin/bash
# run.sh FUZZER SEEDS SECONDS WORK [fresh]: fuzzes for SECONDS, starting from the committed seed
# corpus SEEDS (never written to) and the corpus grown in WORK by earlier runs (none with
# "fresh"). On a failure prints the input that failed (hex) and the command that replays it,
# and exits 1.
set -u
fuzzer=$1 seeds=$2 seconds=$3 work=$4 fresh=${5:-}
[ "$fresh" = fresh ] && rm -rf "$work/corpus"
mkdir -p "$work/corpus" "$work/artifacts"
rm -f "$work"/artifacts/*
log=$work/log.txt
"$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=1024 -malloc_limit_mb=256 -max_len=4096 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds" >"$log" 2>&1
status=$?
grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)|^Done|cov:' "$log" | tail -5
shopt -s nullglob
found=("$work"/artifacts/*)
if [ "$status" -ne 0 ] || [ ${#found[@]} -gt 0 ]; then
  echo "--- fuzzer output (last 60 lines) ---"
  tail -60 "$log"
  for f in "${found[@]}"; do
    echo "--- failing input $f ($(stat -c %s "$f") bytes) ---"
    od -An -tx1 -v "$f" | head -40
    echo "replay: $fuzzer $f"
  done
  exit 1
fi
echo "PASS: $(basename "$fuzzer") for $seconds s"
