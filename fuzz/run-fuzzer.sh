#!/bin/sh
# Runs one fuzzer briefly: new inputs go to a scratch folder, the seed corpus stays untouched.
# usage: run-fuzzer.sh BINARY SEED_DIR WORK_DIR [SECONDS]
set -e
bin=$1 seeds=$2 work=$3 secs=${4:-${KELVORA_FUZZ_SECONDS:-15}}
rm -rf "$work" && mkdir -p "$work"
exec "$bin" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
     -print_final_stats=1 "$work" "$seeds"
