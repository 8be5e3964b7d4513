#!/bin/sh
# Runs one fuzzer briefly. Every seed is first run whole, as it is (the search below
# cuts inputs at 64 KB); then the fuzzer searches from them for the given time, with
# KELVORA_FUZZ_LOAD_ONLY set (targets that know it skip the save-again comparison). New
# inputs go to a scratch folder; the seed corpus stays untouched.
# usage: run-fuzzer.sh BINARY SEED_DIR WORK_DIR [SECONDS]
set -e
bin=$1 seeds=$2 work=$3 secs=${4:-${KELVORA_FUZZ_SECONDS:-15}}
rm -rf "$work" && mkdir -p "$work"
"$bin" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$work/" "$seeds"/*
KELVORA_FUZZ_LOAD_ONLY=1 exec "$bin" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
     -artifact_prefix="$work/" -print_final_stats=1 "$work" "$seeds"
