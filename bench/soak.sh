#!/usr/bin/env bash
# The long soak of PELORIX.exe under Wine (tests/e2e/soak.sh, whose short run
# is the test wine_soak): 100 entries and 1,000 random commands by default.
# Prints the seed, the handle count and memory after round 1 and at the end,
# the seconds taken and what the capture check found; status 1 on a fault.
#   bench/soak.sh [--windows build/windows] [--native build/native] [--entries 100] [--commands 1000]
#                 [--gap MS] [--seed N]
set -u
cd "$(dirname "$0")/.."
windowsBuild=build/windows nativeBuild=build/native entries=100 commands=1000 gap=900 seed=$((RANDOM * 32768 + RANDOM))
while [ $# -gt 1 ]; do
    case $1 in
    --windows) windowsBuild=$2 ;;
    --native) nativeBuild=$2 ;;
    --entries) entries=$2 ;;
    --commands) commands=$2 ;;
    --gap) gap=$2 ;;
    --seed) seed=$2 ;;
    *) break ;;
    esac
    shift 2
done
[ $# = 0 ] || { echo "usage: $0 [--windows DIR] [--native DIR] [--entries N] [--commands N] [--gap MS] [--seed N]" >&2; exit 2; }
native=$(realpath "$nativeBuild")
mkdir -p build/bench-soak
exec bash tests/e2e/soak.sh "$PWD/build/bench-soak" "$(realpath "$windowsBuild")" "$native/tools/pelorix-encode" \
    "$native/tools/pelorix-decode" "$native/tests/makewav" "$entries" "$commands" "$gap" "$seed"
