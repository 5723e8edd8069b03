#!/usr/bin/env bash
# Runs one fuzz target briefly from a fixed seed over its corpus. Meant to run inside
# tests/private-run.sh: new inputs and crash files go to the private scratch folder, the
# corpus in the repository is only read.
set -euo pipefail

target=$1 corpus=$2 seconds=$3
work="${TANGLEFIX_TEST_TMP:?run through tests/private-run.sh}/fuzz"
mkdir -p "$work/new" "$work/artifacts"
cd "$work"

exec "$target" -seed=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/new" "$corpus"
