#!/bin/sh
# Runs one fuzzer briefly: new inputs go to a scratch folder, the seed corpus stays untouched.
# A fixed random seed (and Qt's hash seed) makes a test run repeatable: what passed here
# passes in CI. KELVORA_FUZZ_SEED=0 lets libFuzzer pick one, for longer hunts.
# usage: run-fuzzer.sh BINARY SEED_DIR WORK_DIR [SECONDS]
set -e
bin=$1 seeds=$2 work=$3 secs=${4:-${KELVORA_FUZZ_SECONDS:-15}}
rm -rf "$work" && mkdir -p "$work"
export QT_HASH_SEED=0
exec "$bin" -seed="${KELVORA_FUZZ_SEED:-1}" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
     -print_final_stats=1 "$work" "$seeds"
