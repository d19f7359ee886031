#!/usr/bin/env bash
# The long fuzzing run: each target in turn for SECONDS (default 600) or RUNS
# executions, whichever ends first, from its seed corpus plus what earlier
# runs found. One process per target: give other targets to a second run to
# use a second core. Prints per target the executions, executions per second,
# edges and features covered, and the crashes, leaks and sanitizer reports
# (libFuzzer stops at the first, so 0 or 1).
# usage: [PELORIX_FUZZ_BUILD=dir] [PELORIX_FUZZ_WORK=dir] bench/fuzz.sh [SECONDS [RUNS [TARGET...]]]
#   build folder default build/fuzz; corpora, logs and crash inputs default in
#   its bench/ folder. Run at low priority beside other work: nice -n 19.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-600}
runs=${2:--1}
shift $(( $# > 2 ? 2 : $# ))
targets=${*:-decoder wavreader layout settings}
build=${PELORIX_FUZZ_BUILD:-build/fuzz}
work=$(realpath -m "${PELORIX_FUZZ_WORK:-$build/bench}")
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" >/dev/null
declare -A maxLen=([decoder]=2048 [wavreader]=4096 [layout]=4096 [settings]=2048)   # as tests/fuzz/CMakeLists.txt
printf '%-10s %12s %8s %6s %6s %s\n' target executions exec/s edges ft crashes
for target in $targets; do
    mkdir -p "$work/corpus/$target" "$work/crashes"
    log=$work/$target.log
    status=0
    "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -runs="$runs" -max_len="${maxLen[$target]}" \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/crashes/$target-" \
        "$work/corpus/$target" "tests/fuzz/corpus/$target" </dev/null >"$log" 2>&1 || status=$?
    stat() { awk -v key="stat::$1:" '$1 == key { print $2 }' "$log"; }
    coverage=$(grep -E '^#[0-9]+.* cov: ' "$log" | tail -1 | sed -E 's/.* cov: ([0-9]+) ft: ([0-9]+).*/\1 \2/')
    crashes=$(grep -c 'Test unit written to' "$log" || true)
    note=""
    [ "$status" = 0 ] || note="  FAILED (status $status; see $log)"
    printf '%-10s %12s %8s %6s %6s %s%s\n' "$target" "$(stat number_of_executed_units)" \
        "$(stat average_exec_per_sec)" ${coverage:-? ?} "$crashes" "$note"
done
