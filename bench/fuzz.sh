#!/usr/bin/env bash
# The long fuzzing run: each target for SECONDS (default 600) on all cores
# but one, from its seed corpus plus what earlier runs found. Prints, per
# target, the executions, the edges covered and whether anything crashed.
# usage: bench/fuzz.sh [SECONDS]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-600}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
jobs=$(( $(nproc) > 1 ? $(nproc) - 1 : 1 ))
printf '%-10s %14s %8s %s\n' target executions edges result
for target in decoder wavreader layout settings; do
    found=build/fuzz/bench-found/$target
    mkdir -p "$found" build/fuzz/bench-logs
    log=build/fuzz/bench-logs/$target
    rm -f "$log".*
    status=0
    (cd build/fuzz && tests/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -jobs=$jobs -workers=$jobs "../../$found" "../../tests/fuzz/corpus/$target" \
        >"../../$log.out" 2>&1) || status=$?
    runs=$(cat build/fuzz/fuzz-*.log 2>/dev/null | awk '/stat::number_of_executed_units/ { n += $2 } END { print n + 0 }')
    edges=$(cat build/fuzz/fuzz-*.log 2>/dev/null | awk '/ cov: / { for (i = 1; i < NF; i++) if ($i == "cov:" && $(i + 1) > c) c = $(i + 1) } END { print c + 0 }')
    mv build/fuzz/fuzz-*.log "$log.workers" 2>/dev/null || true
    result="no crash"
    [ $status = 0 ] || result="FAILED (status $status; see $log.*)"
    printf '%-10s %14s %8s %s\n' "$target" "$runs" "$edges" "$result"
done
